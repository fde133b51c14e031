#include "rich_text_box.h"

#include <QTextCursor>

namespace lumora {

void RichTextBox::ApplyColorRuns(const QVector<ColorRun> &runs)
{
    if (runs.isEmpty())
        return;
    FormatOnlyScope scope(m_mirror);
    const int len = TextLength();
    QTextCursor c(document());
    c.beginEditBlock();
    for (const ColorRun &r : runs) {
        const int s0 = std::clamp(r.start, 0, len);
        const int s1 = std::clamp(r.start + std::max(0, r.length), s0, len);
        if (s1 <= s0)
            continue;
        c.setPosition(ToDocPos(s0, false));
        c.setPosition(ToDocPos(s1, true), QTextCursor::KeepAnchor);
        QTextCharFormat f;
        f.setForeground(ColorFromOle(r.color));
        c.mergeCharFormat(f);
    }
    c.endEditBlock();
}

} // namespace lumora
