#include "keyword_scan.h"

#include "sparse_scan.h"

#include "text_mirror.h"

#include <QHash>
#include <algorithm>
#include <cstdint>

namespace lumora {

namespace {

// How many characters go by between two progress calls.
constexpr int kProgressStep = 1 << 20;
// Above this many table cells the table would cost too much memory and the
// sparse trie serves instead.
constexpr qint64 kMaxTableCells = qint64(16) * 1024 * 1024;

using Pattern = ScanPattern;

std::vector<Pattern> DistinctPatterns(const std::vector<QStringList> &groups)
{
    std::vector<Pattern> patterns;
    QHash<QString, int> index;
    for (size_t g = 0; g < groups.size(); ++g) {
        for (const QString &entry : groups[g]) {
            if (entry.isEmpty())
                continue;
            const QString folded = TextMirror::Fold(entry);
            auto it = index.find(folded);
            if (it == index.end()) {
                it = index.insert(folded, int(patterns.size()));
                patterns.push_back({folded, 0});
            }
            patterns[size_t(*it)].groups |= quint32(1) << g;
        }
    }
    return patterns;
}

// Aho-Corasick automaton over the characters that occur in the patterns;
// every other character sends the scan back to the root.
class Automaton
{
public:
    explicit Automaton(const std::vector<Pattern> &patterns);
    bool Fits() const { return m_fits; }
    bool Scan(const QString &folded, const std::vector<Pattern> &patterns,
              std::vector<SpanList> &covered, const ScanProgress &progress) const;

private:
    void BuildTrie(const std::vector<Pattern> &patterns);
    void BuildLinks();

    bool m_fits = true;
    int m_width = 1;                  // symbols + 1
    std::vector<quint16> m_symbol;    // character -> symbol, 0 = none
    std::vector<qint32> m_next;       // state * width + symbol -> state
    std::vector<qint32> m_pattern;    // pattern ending in the state, or -1
    std::vector<qint32> m_output;     // nearest suffix state with a pattern, or -1
};

Automaton::Automaton(const std::vector<Pattern> &patterns) : m_symbol(65536, 0)
{
    qint64 states = 1;
    for (const Pattern &p : patterns) {
        states += p.text.size();
        for (QChar c : p.text) {
            if (!m_symbol[c.unicode()])
                m_symbol[c.unicode()] = quint16(m_width++);
        }
    }
    if (states * m_width > kMaxTableCells) {
        m_fits = false;
        return;
    }
    BuildTrie(patterns);
    BuildLinks();
}

void Automaton::BuildTrie(const std::vector<Pattern> &patterns)
{
    m_next.assign(size_t(m_width), -1);
    m_pattern.assign(1, -1);
    for (size_t i = 0; i < patterns.size(); ++i) {
        qint32 s = 0;
        for (QChar c : patterns[i].text) {
            const size_t cell = size_t(s) * size_t(m_width) + m_symbol[c.unicode()];
            if (m_next[cell] < 0) {
                m_next[cell] = qint32(m_pattern.size());
                m_pattern.push_back(-1);
                m_next.resize(m_next.size() + size_t(m_width), -1);
            }
            s = m_next[cell];
        }
        m_pattern[size_t(s)] = qint32(i);
    }
}

// Breadth first: fills the missing transitions from the failure links, so
// that the scan takes exactly one table step per character.
void Automaton::BuildLinks()
{
    const size_t w = size_t(m_width);
    std::vector<qint32> fail(m_pattern.size(), 0);
    m_output.assign(m_pattern.size(), -1);
    std::vector<qint32> queue;
    queue.reserve(m_pattern.size());
    for (size_t a = 0; a < w; ++a) {
        qint32 &t = m_next[a];
        if (t < 0)
            t = 0;          // no pattern starts with it: stay at the root
        else
            queue.push_back(t);
    }
    for (size_t head = 0; head < queue.size(); ++head) {
        const qint32 s = queue[head];
        const qint32 f = fail[size_t(s)];
        m_output[size_t(s)] = m_pattern[size_t(f)] >= 0 ? f : m_output[size_t(f)];
        for (size_t a = 0; a < w; ++a) {
            qint32 &t = m_next[size_t(s) * w + a];
            const qint32 viaFail = m_next[size_t(f) * w + a];
            if (t < 0) {
                t = viaFail;
            } else {
                fail[size_t(t)] = viaFail;
                queue.push_back(t);
            }
        }
    }
}

bool Automaton::Scan(const QString &folded, const std::vector<Pattern> &patterns,
                     std::vector<SpanList> &covered, const ScanProgress &progress) const
{
    // Where each pattern may match next: behind its previous match.
    std::vector<int> nextFree(patterns.size(), 0);
    const QChar *text = folded.constData();
    const int n = int(folded.size());
    const size_t w = size_t(m_width);
    qint32 s = 0;
    for (int i = 0; i < n; ++i) {
        if (progress && i && (i % kProgressStep) == 0 && !progress(i, n))
            return false;
        s = m_next[size_t(s) * w + m_symbol[text[i].unicode()]];
        for (qint32 o = m_pattern[size_t(s)] >= 0 ? s : m_output[size_t(s)]; o >= 0; o = m_output[size_t(o)]) {
            const size_t p = size_t(m_pattern[size_t(o)]);
            const int start = i + 1 - int(patterns[p].text.size());
            if (start < nextFree[p])
                continue;
            nextFree[p] = i + 1;
            AddToGroups(covered, patterns[p].groups, start, i + 1);
        }
    }
    return true;
}

} // namespace

bool ScanKeywordGroups(const QString &folded, const std::vector<QStringList> &groups,
                       std::vector<SpanList> *covered, const ScanProgress &progress)
{
    Q_ASSERT(groups.size() <= 32);
    covered->assign(groups.size(), SpanList());
    const std::vector<Pattern> patterns = DistinctPatterns(groups);
    if (patterns.empty() || folded.isEmpty())
        return true;
    const Automaton automaton(patterns);
    if (automaton.Fits())
        return automaton.Scan(folded, patterns, *covered, progress);
    return ScanSparse(folded, patterns, *covered, progress, kProgressStep);
}

} // namespace lumora
