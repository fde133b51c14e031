#include "form2.h"

#include <QWidget>

namespace lumora {

Form2::Form2(std::function<RichTextBox *()> editor) : m_editor(std::move(editor)) {}

QWidget *Form2::CreateFromDesign()
{
    auto *w = new QWidget(nullptr, Qt::Window);
    w->setObjectName(QStringLiteral("Form2"));
    w->setWindowTitle(QStringLiteral("查找"));
    return w;
}

} // namespace lumora
