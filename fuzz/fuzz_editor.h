#pragma once

#include "rich_text/rich_text_box.h"
#include "rich_text/view_layout.h"

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

// Lays out the first `paragraphs` paragraphs (each end of each, so a long
// line's pieces at both ends too) and paints what shows, into the window's
// own backing store (a grab would allocate a new picture every time).
inline void LayOutAndPaint(lumora::RichTextBox &box, int paragraphs)
{
    const lumora::TextStore &store = box.Buffer().Store();
    const int n = std::min(paragraphs, store.ParagraphCount());
    for (int p = 0; p < n; ++p) {
        box.Layout().CaretRect(store.ParagraphStart(p));
        box.Layout().CaretRect(store.ParagraphEnd(p));
    }
    box.viewport()->repaint();
}
