#include "rich_text/text_mirror.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

namespace lumora {

namespace {

const QLatin1String kCrLf("\r\n");

int CountSoftBreaks(QStringView s)
{
    return int(std::count(s.begin(), s.end(), QChar(QChar::LineSeparator)));
}

} // namespace

TextMirror::TextMirror(QTextDocument *doc, QObject *parent) : QObject(parent), m_doc(doc)
{
    // A document reports its changes only once it has a layout.
    doc->documentLayout();
    connect(doc, &QTextDocument::contentsChange, this, &TextMirror::OnContentsChange);
}

// Besides the change signal, a cheap size check catches any document change
// that reached us without one.
const QString &TextMirror::Raw() const
{
    if (!m_valid || !Consistent())
        Rebuild();
    return m_raw;
}

const QString &TextMirror::Text() const
{
    const QString &raw = Raw();
    if (m_softBreaks == 0)
        return raw;
    if (!m_shownValid) {
        m_shown = raw;
        std::replace(m_shown.begin(), m_shown.end(), QChar(QChar::LineSeparator), QChar(u'\v'));
        m_shownValid = true;
    }
    return m_shown;
}

void TextMirror::Reset(QString raw)
{
    m_raw = std::move(raw);
    m_valid = true;
    m_shownValid = false;
    m_softBreaks = CountSoftBreaks(m_raw);
    IndexLines();
    if (!Consistent())
        m_valid = false;
}

void TextMirror::IndexLines() const
{
    m_lineStart.clear();
    m_lineStart.push_back(0);
    const QChar *d = m_raw.constData();
    const qsizetype n = m_raw.size();
    for (qsizetype i = 0; i + 1 < n; ++i) {
        if (d[i] == u'\r' && d[i + 1] == u'\n')
            m_lineStart.push_back(int(i + 2));
    }
}

void TextMirror::Rebuild() const
{
    m_raw.clear();
    m_raw.reserve(m_doc->characterCount() + m_doc->blockCount());
    for (QTextBlock b = m_doc->begin(); b.isValid(); b = b.next()) {
        m_raw.append(b.text());
        if (b.next().isValid())
            m_raw.append(kCrLf);
    }
    m_softBreaks = CountSoftBreaks(m_raw);
    m_shownValid = false;
    IndexLines();
    m_valid = true;
}

bool TextMirror::Consistent() const
{
    const int blocks = m_doc->blockCount();
    return int(m_lineStart.size()) == blocks && m_raw.size() == (m_doc->characterCount() - 1) + (blocks - 1);
}

int TextMirror::LineStart(int block) const
{
    Raw();
    return m_lineStart[size_t(std::clamp(block, 0, int(m_lineStart.size()) - 1))];
}

int TextMirror::ToDocPos(int textPos, bool roundUp) const
{
    const QString &t = Raw();
    const int s = std::clamp(textPos, 0, int(t.size()));
    const auto it = std::upper_bound(m_lineStart.begin(), m_lineStart.end(), s);
    const int b = int(it - m_lineStart.begin()) - 1;
    const int lineStart = m_lineStart[size_t(b)];
    const int lineEnd = (size_t(b) + 1 < m_lineStart.size()) ? m_lineStart[size_t(b) + 1] - 2 : int(t.size());
    int offset = s - lineStart;
    if (offset > lineEnd - lineStart)   // on the LF of a CR LF pair
        offset = (lineEnd - lineStart) + (roundUp ? 1 : 0);
    return lineStart - b + offset;
}

int TextMirror::ToTextPos(int docPos) const
{
    const int q = std::clamp(docPos, 0, std::max(0, m_doc->characterCount() - 1));
    return q + m_doc->findBlock(q).blockNumber();
}

// Text position of a document position, computed from the mirror as it was
// before the change now being reported.
int TextMirror::OldTextPos(int docPos) const
{
    // Paragraph b starts at document position m_lineStart[b] - b.
    int lo = 0, hi = int(m_lineStart.size()) - 1;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (m_lineStart[size_t(mid)] - mid <= docPos)
            lo = mid;
        else
            hi = mid - 1;
    }
    const int b = lo;
    const int lineStart = m_lineStart[size_t(b)];
    const int lineEnd = (size_t(b) + 1 < m_lineStart.size()) ? m_lineStart[size_t(b) + 1] - 2 : int(m_raw.size());
    const int offset = std::clamp(docPos - (lineStart - b), 0, lineEnd - lineStart);
    return lineStart + offset;
}

QString TextMirror::DocRangeAsText(int docPos, int docLen) const
{
    QString out;
    const int end = std::min(docPos + docLen, m_doc->characterCount() - 1);
    if (end <= docPos)
        return out;
    for (QTextBlock b = m_doc->findBlock(docPos); b.isValid() && b.position() <= end; b = b.next()) {
        const int bStart = b.position();
        const int bLen = b.length() - 1;
        const int from = std::max(docPos, bStart) - bStart;
        const int to = std::min(end, bStart + bLen) - bStart;
        if (to > from)
            out.append(QStringView(b.text()).mid(from, to - from));
        const int sep = bStart + bLen;
        if (sep >= docPos && sep < end && b.next().isValid())
            out.append(kCrLf);
    }
    return out;
}

void TextMirror::OnContentsChange(int pos, int removed, int added)
{
    if (m_suspended)
        return;
    if (!m_valid) {
        // Lost track earlier: the listener hears of the whole text anew.
        const QString old = m_raw;
        Rebuild();
        if (m_listener)
            m_listener(0, int(old.size()), m_raw, old);
        return;
    }
    const int oldS0 = OldTextPos(pos);
    // A removal that ends on a paragraph break takes the whole CR LF.
    const int oldS1 = std::max(oldS0, removed > 0 ? OldTextPos(pos + removed) : oldS0);
    const QString chunk = DocRangeAsText(pos, added);

    if (m_listener)
        m_listener(oldS0, oldS1 - oldS0, chunk, m_raw);
    m_softBreaks += CountSoftBreaks(chunk) - CountSoftBreaks(QStringView(m_raw).mid(oldS0, oldS1 - oldS0));
    m_raw.replace(oldS0, oldS1 - oldS0, chunk);
    m_shownValid = false;

    const int delta = int(chunk.size()) - (oldS1 - oldS0);
    auto first = std::upper_bound(m_lineStart.begin(), m_lineStart.end(), oldS0);
    auto last = std::upper_bound(first, m_lineStart.end(), oldS1);
    for (auto it = last; it != m_lineStart.end(); ++it)
        *it += delta;
    std::vector<int> fresh;
    for (int i = int(chunk.indexOf(kCrLf)); i >= 0; i = int(chunk.indexOf(kCrLf, i + 2)))
        fresh.push_back(oldS0 + i + 2);
    const auto at = m_lineStart.erase(first, last);
    m_lineStart.insert(at, fresh.begin(), fresh.end());

    if (!Consistent())
        m_valid = false;
}

} // namespace lumora
