#include "text_mirror.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

namespace lumora {

namespace {

const QLatin1String kCrLf("\r\n");

// A soft line break inside a paragraph is one character; in the plain text it
// shows as a vertical tab, as rich-edit controls report it.
void AppendBlockText(QString &out, const QString &blockText, int from, int len)
{
    const int start = out.size();
    out.append(QStringView(blockText).mid(from, len));
    for (int i = start; i < out.size(); ++i) {
        if (out[i] == QChar::LineSeparator)
            out[i] = QLatin1Char('\v');
    }
}

} // namespace

TextMirror::TextMirror(QTextDocument *doc, QObject *parent) : QObject(parent), m_doc(doc)
{
    // A document reports its changes only once it has a layout.
    doc->documentLayout();
    connect(doc, &QTextDocument::contentsChange, this, &TextMirror::OnContentsChange);
}

QString TextMirror::Fold(const QString &s)
{
    QString out = s;
    QChar *d = out.data();
    const int n = out.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = d[i];
        if (c.isHighSurrogate() && i + 1 < n && d[i + 1].isLowSurrogate()) {
            const char32_t cp = QChar::surrogateToUcs4(c, d[i + 1]);
            const char32_t f = QChar::toCaseFolded(cp);
            if (QChar::requiresSurrogates(f)) {
                d[i] = QChar(QChar::highSurrogate(f));
                d[i + 1] = QChar(QChar::lowSurrogate(f));
            }
            ++i;
        } else if (!c.isSurrogate()) {
            d[i] = c.toCaseFolded();
        }
    }
    return out;
}

// Besides the change signal, a cheap size check catches any document change
// that reached us without one.
const QString &TextMirror::Text() const
{
    if (!m_valid || !Consistent())
        Rebuild();
    return m_text;
}

const QString &TextMirror::Folded() const
{
    Text();
    return m_folded;
}

void TextMirror::Rebuild() const
{
    m_text.clear();
    m_lineStart.clear();
    m_text.reserve(m_doc->characterCount() + m_doc->blockCount());
    m_lineStart.reserve(size_t(m_doc->blockCount()));
    for (QTextBlock b = m_doc->begin(); b.isValid(); b = b.next()) {
        m_lineStart.push_back(int(m_text.size()));
        const QString t = b.text();
        AppendBlockText(m_text, t, 0, int(t.size()));
        if (b.next().isValid())
            m_text.append(kCrLf);
    }
    m_folded = Fold(m_text);
    m_valid = true;
}

bool TextMirror::Consistent() const
{
    const int blocks = m_doc->blockCount();
    return int(m_lineStart.size()) == blocks
        && m_text.size() == (m_doc->characterCount() - 1) + (blocks - 1)
        && m_folded.size() == m_text.size();
}

int TextMirror::ToDocPos(int textPos, bool roundUp) const
{
    const QString &t = Text();
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
    const int lineEnd = (size_t(b) + 1 < m_lineStart.size()) ? m_lineStart[size_t(b) + 1] - 2 : int(m_text.size());
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
            AppendBlockText(out, b.text(), from, to - from);
        const int sep = bStart + bLen;
        if (sep >= docPos && sep < end && b.next().isValid())
            out.append(kCrLf);
    }
    return out;
}

void TextMirror::OnContentsChange(int pos, int removed, int added)
{
    if (!m_valid || m_formatOnly || m_suspended)
        return;
    const int oldS0 = OldTextPos(pos);
    const int oldS1 = std::max(oldS0, OldTextPos(pos + removed));
    const QString chunk = DocRangeAsText(pos, added);

    if (oldS1 - oldS0 == chunk.size()
        && QStringView(m_text).mid(oldS0, chunk.size()) == QStringView(chunk))
        return;   // formatting changed, the characters did not

    m_text.replace(oldS0, oldS1 - oldS0, chunk);
    m_folded.replace(oldS0, oldS1 - oldS0, Fold(chunk));

    const int delta = int(chunk.size()) - (oldS1 - oldS0);
    auto first = std::upper_bound(m_lineStart.begin(), m_lineStart.end(), oldS0);
    auto last = std::upper_bound(first, m_lineStart.end(), oldS1);
    for (auto it = last; it != m_lineStart.end(); ++it)
        *it += delta;
    std::vector<int> fresh;
    for (int i = chunk.indexOf(kCrLf); i >= 0; i = chunk.indexOf(kCrLf, i + 2))
        fresh.push_back(oldS0 + i + 2);
    const auto at = m_lineStart.erase(first, last);
    m_lineStart.insert(at, fresh.begin(), fresh.end());

    if (!Consistent())
        m_valid = false;
}

} // namespace lumora
