#include "rich_text/qt_formats.h"

#include "document/ole_color.h"

namespace lumora {

QTextCharFormat ToQtFormat(const CharFormat &f)
{
    QTextCharFormat q;
    if (!f.family.isEmpty())
        q.setFontFamilies({f.family});
    if (f.halfPoints > 0)
        q.setFontPointSize(f.halfPoints / 2.0);
    if (f.color)
        q.setForeground(ColorFromOle(*f.color));
    if (f.bold)
        q.setFontWeight(QFont::Bold);
    if (f.italic)
        q.setFontItalic(true);
    if (f.underline)
        q.setFontUnderline(true);
    if (f.strike)
        q.setFontStrikeOut(true);
    return q;
}

} // namespace lumora
