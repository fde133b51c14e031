#include "document/text_boundaries.h"

#include "document/text_store.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace lumora::boundaries {

namespace {

// How far around a position the rules look.  Word rules need a little
// context before a position; a word longer than this is cut.
constexpr int kReach = 1024;
constexpr int kContext = 64;

// Chinese and Japanese text has no spaces between words, and the editor
// moves over a run of it, its full-width punctuation included, as over one
// word (as Qt's own editors do), not character by character.
bool IsCjk(char32_t c)
{
    const QChar::Script s = QChar::script(c);
    return s == QChar::Script_Han || s == QChar::Script_Hiragana || s == QChar::Script_Katakana
        || s == QChar::Script_Bopomofo || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF);
}

// A stretch of one paragraph's text (its break left out) and a boundary
// finder over it.
struct Window
{
    int start = 0;
    QString text;
    QTextBoundaryFinder finder;

    Window(const TextStore &store, int paragraph, int from, int to, QTextBoundaryFinder::BoundaryType type)
    {
        const int ps = store.ParagraphStart(paragraph), pe = store.ParagraphEnd(paragraph);
        start = std::max(ps, from);
        text = store.Text(start, std::min(pe, to) - start);
        finder = QTextBoundaryFinder(type, text);
    }
    int End() const { return start + int(text.size()); }
    QChar At(int pos) const { return text.at(pos - start); }
    char32_t CodeBefore(qsizetype i) const
    {
        if (i >= 2 && text[i - 1].isLowSurrogate() && text[i - 2].isHighSurrogate())
            return QChar::surrogateToUcs4(text[i - 2], text[i - 1]);
        return text[i - 1].unicode();
    }
    char32_t CodeAt(qsizetype i) const
    {
        if (i + 1 < text.size() && text[i].isHighSurrogate() && text[i + 1].isLowSurrogate())
            return QChar::surrogateToUcs4(text[i], text[i + 1]);
        return text[i].unicode();
    }
    // A boundary of the word rules that also ends a word here.
    bool IsWordBoundary(qsizetype b) const
    {
        return b <= 0 || b >= text.size() || !IsCjk(CodeBefore(b)) || !IsCjk(CodeAt(b));
    }
    int Next(int pos)
    {
        finder.setPosition(pos - start);
        qsizetype b = finder.toNextBoundary();
        while (b >= 0 && !IsWordBoundary(b) && finder.type() == QTextBoundaryFinder::Word)
            b = finder.toNextBoundary();
        return b < 0 ? End() : start + int(b);
    }
    int Previous(int pos)
    {
        finder.setPosition(pos - start);
        qsizetype b = finder.toPreviousBoundary();
        while (b >= 0 && !IsWordBoundary(b) && finder.type() == QTextBoundaryFinder::Word)
            b = finder.toPreviousBoundary();
        return b < 0 ? start : start + int(b);
    }
};

bool IsBlank(QChar c) { return c.isSpace() && c != QChar::LineSeparator; }

// A step from pos that crosses only the end of the text or a paragraph
// break, or -1 when the step stays inside *paragraph (pos's paragraph).
int StepOverBreakForward(const TextStore &store, int pos, int *paragraph)
{
    if (pos >= store.Length())
        return store.Length();
    *paragraph = store.ParagraphAt(pos);
    return pos >= store.ParagraphEnd(*paragraph) ? store.ParagraphStart(*paragraph + 1) : -1;
}

// The same backwards; *pos is first moved off the middle of a break.
int StepOverBreakBackward(const TextStore &store, int *pos, int *paragraph)
{
    if (*pos <= 0)
        return 0;
    *pos = store.SnapDown(*pos);
    *paragraph = store.ParagraphAt(*pos);
    return *pos <= store.ParagraphStart(*paragraph) ? store.ParagraphEnd(*paragraph - 1) : -1;
}

} // namespace

int NextCharacter(const TextStore &store, int pos)
{
    int p = 0;
    if (const int over = StepOverBreakForward(store, pos, &p); over >= 0)
        return over;
    Window w(store, p, pos - kContext, pos + kContext, QTextBoundaryFinder::Grapheme);
    return w.Next(pos);
}

int PreviousCharacter(const TextStore &store, int pos)
{
    int p = 0;
    if (const int over = StepOverBreakBackward(store, &pos, &p); over >= 0)
        return over;
    Window w(store, p, pos - kContext, pos + kContext, QTextBoundaryFinder::Grapheme);
    return w.Previous(pos);
}

int NextWord(const TextStore &store, int pos)
{
    int p = 0;
    if (const int over = StepOverBreakForward(store, pos, &p); over >= 0)
        return over;
    Window w(store, p, pos - kContext, pos + kReach, QTextBoundaryFinder::Word);
    int at = w.Next(pos);
    while (at < w.End() && IsBlank(w.At(at)))
        ++at;
    return at;
}

int PreviousWord(const TextStore &store, int pos)
{
    int p = 0;
    if (const int over = StepOverBreakBackward(store, &pos, &p); over >= 0)
        return over;
    Window w(store, p, pos - kReach, pos + kContext, QTextBoundaryFinder::Word);
    int at = pos;
    while (at > w.start && IsBlank(w.At(at - 1)))
        --at;
    return at > w.start ? w.Previous(at) : at;
}

Range WordAt(const TextStore &store, int pos)
{
    pos = store.SnapDown(std::clamp(pos, 0, store.Length()));
    const int p = store.ParagraphAt(pos);
    const int ps = store.ParagraphStart(p), pe = store.ParagraphEnd(p);
    if (ps == pe)
        return {ps, ps};
    const int at = std::min(pos, pe - 1);
    Window w(store, p, at - kReach, at + kReach, QTextBoundaryFinder::Word);
    w.finder.setPosition(at - w.start);
    const int from = w.finder.isAtBoundary() && w.IsWordBoundary(at - w.start) ? at : w.Previous(at);
    return {from, w.Next(from)};
}

Range ParagraphAt(const TextStore &store, int pos)
{
    const int p = store.ParagraphAt(std::clamp(pos, 0, store.Length()));
    const int to = p + 1 < store.ParagraphCount() ? store.ParagraphStart(p + 1) : store.Length();
    return {store.ParagraphStart(p), to};
}

} // namespace lumora::boundaries
