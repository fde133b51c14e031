#pragma once

#include "rich_text/rich_text_box.h"

#include <QApplication>

// One editing area, shown on the offscreen platform, for targets that must
// reach layout and painting as the editor does.  It lives as long as the
// process.
inline lumora::RichTextBox &ShownEditor()
{
    static int argc = 1;
    static char arg0[] = "fuzz";
    static char *argv[] = {arg0, nullptr};
    static lumora::RichTextBox *box = nullptr;
    if (!box) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
        box = new lumora::RichTextBox;
        box->resize(500, 300);
        box->show();
    }
    return *box;
}
