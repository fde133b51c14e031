#include "form3.h"

#include <QWidget>

namespace lumora {

QWidget *Form3::CreateFromDesign()
{
    auto *w = new QWidget(nullptr, Qt::Window);
    w->setObjectName(QStringLiteral("Form3"));
    w->setWindowTitle(QStringLiteral("破解计算器"));
    return w;
}

} // namespace lumora
