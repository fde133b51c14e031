#include "main_window/about_window.h"

#include <QLabel>

namespace lumora {

QWidget *AboutWindow::CreateFromDesign()
{
    auto *w = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                       | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    w->setObjectName(QStringLiteral("Form4"));
    w->setWindowTitle(QStringLiteral("关于"));
    w->setFixedSize(312, 58);

    auto *creditLabel = new QLabel(QStringLiteral("Lumora记事本加强版 V1.0      作者：Lumora 开发组，写给学习逆向分析的朋友"), w);
    creditLabel->setObjectName(QStringLiteral("Label1"));
    creditLabel->setGeometry(8, 8, 289, 33);
    creditLabel->setWordWrap(true);
    creditLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *warningLabel = new QLabel(QStringLiteral("语法高亮功能目前还不能百分百正确识别！"), w);
    warningLabel->setObjectName(QStringLiteral("Label2"));
    warningLabel->setGeometry(8, 40, 297, 17);
    warningLabel->setWordWrap(true);
    warningLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return w;
}

} // namespace lumora
