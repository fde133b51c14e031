#include "main_window/menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace lumora {

namespace {

struct Item
{
    const char *name;
    const char *caption;   // "-" is a separator
};

struct Menu
{
    const char *name;
    const char *caption;
    std::initializer_list<Item> items;
};

} // namespace

QHash<QString, QAction *> BuildMainMenu(QMenuBar *bar)
{
    const Menu menus[] = {
        {"filez", "文件(&F)", {{"create", "新建(&N)"}, {"open", "打开(&O)"}, {"save", "保存(&S)"}, {"saveas", "另存为(&A)"}}},
        {"edit", "编辑(&E)",
         {{"unndo", "撤销(&U)"}, {"x", "-"}, {"find", "查找"}, {"copy", "复制"}, {"shit", "粘贴"}, {"insterdata", "插入图片"}}},
        {"formatt", "格式(&F)", {{"autoendl", "自动换行"}, {"setfo", "字体"}}},
        {"hl", "语法高亮(&H)", {{"sethl", "OD语法高亮"}}},
        {"tools", "便捷工具", {{"crackcale", "破解计算器"}}},
        {"abv", "关于", {{"about", "关于"}}},
    };
    QHash<QString, QAction *> actions;
    for (const Menu &m : menus) {
        QMenu *menu = bar->addMenu(QString::fromUtf8(m.caption));
        menu->setObjectName(QString::fromUtf8(m.name));
        menu->menuAction()->setObjectName(QString::fromUtf8(m.name));
        actions.insert(QString::fromUtf8(m.name), menu->menuAction());
        for (const Item &it : m.items) {
            const QString caption = QString::fromUtf8(it.caption);
            QAction *a = caption == QLatin1String("-") ? menu->addSeparator() : menu->addAction(caption);
            a->setObjectName(QString::fromUtf8(it.name));
            a->setShortcuts({});
            actions.insert(a->objectName(), a);
        }
    }
    QAction *wrap = actions.value(QStringLiteral("autoendl"));
    wrap->setCheckable(true);
    wrap->setChecked(true);
    return actions;
}

} // namespace lumora
