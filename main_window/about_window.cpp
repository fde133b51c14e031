#include "main_window/about_window.h"

#include <QLabel>

namespace lumora {

QWidget *Form4::CreateFromDesign()
{
    auto *w = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                       | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    w->setObjectName(QStringLiteral("Form4"));
    w->setWindowTitle(QStringLiteral("关于"));
    w->setFixedSize(312, 58);

    auto *label1 = new QLabel(QStringLiteral("Lumora记事本加强版 V1.0      作者：Lumora 开发组，写给学习逆向分析的朋友"), w);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(8, 8, 289, 33);
    label1->setWordWrap(true);
    label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *label2 = new QLabel(QStringLiteral("语法高亮功能目前还不能百分百正确识别！"), w);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(8, 40, 297, 17);
    label2->setWordWrap(true);
    label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return w;
}

} // namespace lumora
