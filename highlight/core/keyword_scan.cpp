#include "highlight/core/keyword_scan.h"

#include "document/case_fold.h"
#include "highlight/core/keyword_trie.h"
#include "highlight/core/match_tracker.h"

#include <algorithm>

namespace lumora {

namespace {

// Above this many table cells the table would cost too much memory and the
// trie's child lists serve instead.
constexpr qint64 kMaxTableCells = qint64(16) * 1024 * 1024;
// Characters scanned between two looks at the clock.
constexpr qsizetype kChunk = 4096;

// The automaton as one table row per state, one column per character that
// occurs in the entries: one lookup per character of the text.
class StepTable
{
public:
    // Gives the characters their columns; false when the table would not
    // fit in memory.
    bool Prepare(const KeywordTrie &trie);
    bool Build(const KeywordTrie &trie, ScanClock &clock, qint64 done);

    qint32 Step(qint32 s, const QChar *text, qsizetype size, qsizetype i) const
    {
        const char16_t u = text[i].unicode();
        const quint16 a = m_symbol[IsSurrogateUnit(u) ? FoldedSurrogate(text, size, i) : u];
        return m_next[size_t(s) * m_width + a];
    }

private:
    size_t m_width = 1;            // symbols + 1
    std::vector<quint16> m_symbol; // character -> symbol of its folded form, 0 = in no entry
    std::vector<qint32> m_next;    // state * width + symbol -> state
};

// Entry characters are folded already, and whatever folds to one of them
// shares its column.
bool StepTable::Prepare(const KeywordTrie &trie)
{
    m_symbol.assign(0x10000, 0);
    std::vector<char16_t> alphabet;
    for (qint32 s = 1; s < trie.States(); ++s) {
        const char16_t c = trie.Label(s);
        if (!m_symbol[c]) {
            if (qint64(trie.States()) * qint64(m_width + 1) > kMaxTableCells)
                return false;
            m_symbol[c] = quint16(m_width++);
            alphabet.push_back(c);
        }
    }
    for (char16_t c : alphabet) {
        const char16_t *begin, *end;
        UnitsFoldingTo(c, &begin, &end);
        for (const char16_t *u = begin; u != end; ++u)
            m_symbol[*u] = m_symbol[c];
    }
    return true;
}

// Row by row in state order: a missing move is the move of the state's
// failure link, whose row is already complete.
bool StepTable::Build(const KeywordTrie &trie, ScanClock &clock, qint64 done)
{
    // Grown row by row: no large fill runs between two looks at the clock.
    m_next.reserve(size_t(trie.States()) * m_width);
    for (qint32 s = 0; s < trie.States(); ++s) {
        m_next.resize(m_next.size() + m_width);
        qint32 *row = m_next.data() + size_t(s) * m_width;
        if (s)
            std::copy_n(m_next.data() + size_t(trie.Fail(s)) * m_width, m_width, row);
        for (qint32 c = trie.FirstChild(s); c < trie.FirstChild(s + 1); ++c)
            row[m_symbol[trie.Label(c)]] = c;
        if (!clock.Tick(done, 1 + qint64(m_width) / 16))
            return false;
    }
    return true;
}

// The automaton through the trie itself: little memory, a few more steps.
class TrieStepper
{
public:
    explicit TrieStepper(const KeywordTrie &trie) : m_trie(trie), m_fold(FoldTable()) {}
    qint32 Step(qint32 s, const QChar *text, qsizetype size, qsizetype i) const
    {
        return m_trie.Step(s, FoldedUnit(text, size, i, m_fold));
    }

private:
    const KeywordTrie &m_trie;
    const char16_t *m_fold;
};

template <typename Stepper>
bool Scan(const QString &text, const Stepper &stepper, const KeywordTrie &trie, MatchTracker &tracker,
          ScanClock &clock)
{
    const QChar *t = text.constData();
    const qsizetype n = text.size();
    qint32 s = 0;
    for (qsizetype from = 0; from < n;) {
        const qsizetype to = std::min(n, from + kChunk);
        for (qsizetype i = from; i < to; ++i) {
            s = stepper.Step(s, t, n, i);
            tracker.Report(trie.Emit(s), int(i + 1));
        }
        if (!clock.Tick(to, (to - from) + tracker.TakeWork()))
            return false;
        from = to;
    }
    return true;
}

} // namespace

qint64 KeywordChars(const std::vector<QStringList> &groups, qint64 textLength)
{
    qint64 chars = 0;
    for (const QStringList &group : groups) {
        for (const QString &e : group) {
            if (e.size() <= textLength)
                chars += e.size();
        }
    }
    return chars;
}

bool ScanKeywordGroups(const QString &text, const std::vector<QStringList> &groups,
                       std::vector<SpanList> *covered, const Progress &progress)
{
    ScanClock clock(progress, KeywordChars(groups, text.size()) + text.size());
    return ScanKeywordGroups(text, groups, covered, clock);
}

bool ScanKeywordGroups(const QString &text, const std::vector<QStringList> &groups,
                       std::vector<SpanList> *covered, ScanClock &clock, ScanStepping stepping)
{
    covered->assign(groups.size(), SpanList());
    const qint64 n = text.size();
    const qint64 keyChars = KeywordChars(groups, n);
    KeywordTrie trie;
    if (!trie.Build(groups, n, clock))
        return false;
    if (trie.Keys() == 0) {
        clock.EndStage(keyChars + n);
        return true;
    }
    MatchTracker tracker(trie, *covered);
    bool done;
    StepTable table;
    if (stepping == ScanStepping::kTableWhereItFits && table.Prepare(trie)) {
        if (!table.Build(trie, clock, keyChars))
            return false;
        clock.EndStage(keyChars);
        done = Scan(text, table, trie, tracker, clock);
    } else {
        trie.IndexRoot();
        clock.EndStage(keyChars);
        done = Scan(text, TrieStepper(trie), trie, tracker, clock);
    }
    if (done)
        clock.EndStage(n);
    return done;
}

} // namespace lumora
