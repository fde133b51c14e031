#include "highlight/core/highlight_core.h"

#include "document/case_fold.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace lumora;

namespace {

// The searches as the step-by-step pass makes them: case-folded, forward
// from start, a match has to end by end (-1: the end of the text).
int Find(const QString &folded, const QString &what, int start, int end = -1)
{
    const int len = int(folded.size());
    if (what.isEmpty() || start > len)
        return -1;
    const int limit = (end < 0 || end > len) ? len : end;
    const int at = int(folded.indexOf(FoldCase(what), std::max(0, start)));
    return (at < 0 || at + what.size() > limit) ? -1 : at;
}

// Per character: covered by the rule or not.
using Cover = QVector<bool>;

Cover Paint(int n, const SpanList &spans)
{
    Cover c(n, false);
    for (const Span &s : spans) {
        for (int i = s.start; i < s.end; ++i)
            c[i] = true;
    }
    return c;
}

Cover KeywordOracle(const QString &folded, const QStringList &entries)
{
    Cover c(int(folded.size()), false);
    for (const QString &e : entries) {
        for (int at = Find(folded, e, 0); at >= 0; at = Find(folded, e, at + int(e.size()))) {
            for (int i = at; i < at + e.size(); ++i)
                c[i] = true;
        }
    }
    return c;
}

Cover BracketOracle(const QString &folded)
{
    Cover c(int(folded.size()), false);
    int pos = 0;
    for (int open; (open = Find(folded, "[", pos)) >= 0;) {
        const int lineEnd = Find(folded, "\r\n", open);
        const int close = Find(folded, "]", open, lineEnd);
        if (close < 0) {
            pos = open + 1;
            continue;
        }
        for (int i = open; i < close; ++i)
            c[i] = true;
        pos = close + 1;
    }
    return c;
}

Cover CommentOracle(const QString &folded)
{
    Cover c(int(folded.size()), false);
    int pos = 0;
    for (int semi; (semi = Find(folded, ";", pos)) >= 0;) {
        int lineEnd = Find(folded, "\r\n", semi);
        if (lineEnd < 0)
            lineEnd = int(folded.size());
        for (int i = semi; i < lineEnd; ++i)
            c[i] = true;
        pos = lineEnd + 1;
    }
    return c;
}

bool WellFormed(const SpanList &spans)
{
    for (size_t i = 0; i < spans.size(); ++i) {
        if (spans[i].start >= spans[i].end || (i && spans[i].start <= spans[i - 1].end))
            return false;
    }
    return true;
}

QString RandomText(QRandomGenerator &rng, int length, const QString &alphabet)
{
    QString t;
    for (int i = 0; i < length; ++i) {
        if (rng.bounded(12) == 0)
            t += "\r\n";
        else
            t += alphabet[rng.bounded(int(alphabet.size()))];
    }
    return t;
}

// The keyword scan through the trie's child lists, never the table.
std::vector<SpanList> TrieOnly(const QString &text, const std::vector<QStringList> &groups)
{
    ScanClock clock;
    std::vector<SpanList> covered;
    if (!ScanKeywordGroups(text, groups, &covered, clock, ScanStepping::kTrieOnly))
        qFatal("trie scan abandoned without progress");
    return covered;
}

QStringList RandomEntries(QRandomGenerator &rng, int count, const QString &alphabet, int maxLen)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << RandomText(rng, rng.bounded(maxLen + 1), alphabet).remove("\r\n");
    return out;
}

} // namespace

class TstHighlightCore : public QObject
{
    Q_OBJECT
private slots:
    void keywordCases_data();
    void keywordCases();
    void bracketAndCommentCases_data();
    void bracketAndCommentCases();
    void workedExample();
    void randomAgainstStepByStep();
    void piecesOfParagraphsGiveTheWhole();
    void hugeAlphabetUsesPlainSearch();
    void trieSteppingAgainstStepByStep_data();
    void trieSteppingAgainstStepByStep();
    void pathologicalShapesAgainstStepByStep_data();
    void pathologicalShapesAgainstStepByStep();
    void plainTextGivesTheFoldedResult();
    void emptyListsColourNothing();
    void progressFollowsTheClock();
    void abandoningStopsAtOnce_data();
    void abandoningStopsAtOnce();
};

void TstHighlightCore::keywordCases_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("covered");   // 'x' marks a coloured character
    QTest::newRow("case ignored") << "EAX Eax eax" << QStringList{"eax"} << "xxx xxx xxx";
    QTest::newRow("inside words") << "movzx cmovz" << QStringList{"mov"} << "xxx    xxx ";
    QTest::newRow("aa in aaaa: two matches") << "aaaa" << QStringList{"aa"} << "xxxx";
    QTest::newRow("aa in aaa: first two only") << "aaa" << QStringList{"aa"} << "xx ";
    QTest::newRow("aba in ababa: no overlap") << "ababa" << QStringList{"aba"} << "xxx  ";
    QTest::newRow("each entry from 0 again") << "ababa" << QStringList{"aba", "ba"} << "xxxxx";
    QTest::newRow("entry with a space") << "eax,eax ebx" << QStringList{"eax "} << "    xxxx   ";
    QTest::newRow("empty entry colours nothing") << "abc" << QStringList{""} << "   ";
    QTest::newRow("lone LF entry never matches CR LF text") << "jz\r\njnz" << QStringList{"jz\njnz"} << "       ";
    QTest::newRow("entry with a lone CR matches a line end")
        << "ab\r\ncd" << QStringList{"b\r"} << " xx   ";
    QTest::newRow("prefix and longer entry") << "jnz jnzz" << QStringList{"jnz", "jnzz"} << "xxx xxxx";
    QTest::newRow("folded letters") << QStringLiteral("STRASSE straße") << QStringList{QStringLiteral("ß")}
                                    << QStringLiteral("            x ");
}

void TstHighlightCore::keywordCases()
{
    QFETCH(QString, text);
    QFETCH(QStringList, entries);
    QFETCH(QString, covered);
    const QString folded = FoldCase(text);
    std::vector<SpanList> groups;
    QVERIFY(ScanKeywordGroups(text, {entries}, &groups));
    QVERIFY(WellFormed(groups[0]));
    const Cover c = Paint(int(text.size()), groups[0]);
    QString marks;
    for (bool b : c)
        marks += b ? 'x' : ' ';
    QCOMPARE(marks, covered);
    QCOMPARE(c, KeywordOracle(folded, entries));
}

void TstHighlightCore::bracketAndCommentCases_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("brackets");
    QTest::addColumn<QString>("comments");
    QTest::newRow("two pairs") << "[a] [b]" << "xx  xx " << "       ";
    QTest::newRow("no nesting") << "[[a]]" << "xxx  " << "     ";
    QTest::newRow("] on a later line") << "[a\r\n]b" << "      " << "      ";
    QTest::newRow("unpaired [ then a pair") << "[a\r\n[b]" << "    xx " << "       ";
    QTest::newRow("[ on the last line pairs to the end") << "x\r\n[ab]" << "   xxx " << "       ";
    QTest::newRow("; inside brackets") << "[a;b]" << "xxxx " << "  xxx";
    QTest::newRow("two semicolons, one comment") << "a;b;c\r\nd" << "        " << " xxxx   ";
    QTest::newRow("comment on the last line runs to the end") << "a\r\nb;cd" << "       " << "    xxx";
    QTest::newRow("comment stops before CR LF") << ";a\r\n;" << "     " << "xx  x";
    QTest::newRow("lone LF does not end a line") << "[a\nb]" << "xxxx " << "     ";
    QTest::newRow("] before [") << "]a[" << "   " << "   ";
}

void TstHighlightCore::bracketAndCommentCases()
{
    QFETCH(QString, text);
    QFETCH(QString, brackets);
    QFETCH(QString, comments);
    const auto marks = [](const Cover &c) {
        QString m;
        for (bool b : c)
            m += b ? 'x' : ' ';
        return m;
    };
    const QString folded = FoldCase(text);
    HighlightSpans spans;
    QVERIFY(ComputeHighlight(folded, KeywordLists{}, &spans));
    QCOMPARE(marks(Paint(int(text.size()), spans[kRuleBracket])), brackets);
    QCOMPARE(marks(Paint(int(text.size()), spans[kRuleComment])), comments);
    QCOMPARE(Paint(int(text.size()), spans[kRuleBracket]), BracketOracle(folded));
    QCOMPARE(Paint(int(text.size()), spans[kRuleComment]), CommentOracle(folded));
}

void TstHighlightCore::workedExample()
{
    const QString text = "mov eax, [ebp+8] ; load\r\n";
    KeywordLists lists;
    lists.eax = {"eax", "ebp"};
    lists.mov = {"mov"};
    HighlightSpans spans;
    QVERIFY(ComputeHighlight(FoldCase(text), lists, &spans));
    QCOMPARE(spans[kRuleEax], (SpanList{{4, 7}, {10, 13}}));
    QCOMPARE(spans[kRuleJmp], SpanList{});
    QCOMPARE(spans[kRuleMov], (SpanList{{0, 3}}));
    QCOMPARE(spans[kRuleFinda], SpanList{});
    QCOMPARE(spans[kRuleBracket], (SpanList{{9, 15}}));
    QCOMPARE(spans[kRuleComment], (SpanList{{17, 23}}));
}

// The one-scan search against an entry-by-entry search, on texts and lists
// drawn from a small alphabet so that matches overlap, touch and repeat.
void TstHighlightCore::randomAgainstStepByStep()
{
    QRandomGenerator rng(20240611);
    const QString alphabet = "aAbB[];x \r\n";
    for (int round = 0; round < 400; ++round) {
        const QString text = RandomText(rng, 1 + rng.bounded(300), alphabet);
        const QString folded = FoldCase(text);
        KeywordLists lists;
        lists.eax = RandomEntries(rng, rng.bounded(6), "abAB;", 4);
        lists.jmp = RandomEntries(rng, rng.bounded(6), "aAb[", 3);
        lists.mov = RandomEntries(rng, rng.bounded(6), "ab\r\n", 3);
        lists.finda = RandomEntries(rng, rng.bounded(6), alphabet, 5);
        HighlightSpans spans;
        QVERIFY(ComputeHighlight(text, lists, &spans));
        const QStringList *keyword[] = {&lists.eax, &lists.jmp, &lists.mov, &lists.finda};
        for (int rule = 0; rule < kRuleFinda + 1; ++rule) {
            QVERIFY2(WellFormed(spans[size_t(rule)]), qPrintable(QString::number(round)));
            QCOMPARE(Paint(int(text.size()), spans[size_t(rule)]), KeywordOracle(folded, *keyword[rule]));
        }
        QCOMPARE(Paint(int(text.size()), spans[kRuleBracket]), BracketOracle(folded));
        QCOMPARE(Paint(int(text.size()), spans[kRuleComment]), CommentOracle(folded));
    }
}

// Cut after any CR LF, the text gives piece by piece exactly the spans
// of the whole, unless a keyword holds a line-break character: "\nb" finds
// the b after a break, which a piece starting right behind it never sees.
void TstHighlightCore::piecesOfParagraphsGiveTheWhole()
{
    KeywordLists crossing;
    crossing.mov = QStringList{QStringLiteral("\nb")};
    QVERIFY(!HighlightByParagraphs(crossing));
    QRandomGenerator rng(7);
    // Line breaks only as CR LF, as the editor holds them.
    const QString alphabet = "aAbB[];x ";
    for (int round = 0; round < 200; ++round) {
        const QString text = RandomText(rng, 1 + rng.bounded(300), alphabet);
        KeywordLists lists;
        lists.eax = RandomEntries(rng, rng.bounded(6), "abAB;[ ", 4);
        lists.finda = RandomEntries(rng, rng.bounded(6), "aAb];x", 5);
        QVERIFY(HighlightByParagraphs(lists));
        HighlightSpans whole, joined;
        QVERIFY(ComputeHighlight(text, lists, &whole));
        ScanClock clock;
        for (int from = 0; from < text.size();) {
            int to = int(text.indexOf(u'\n', from + rng.bounded(40)));
            to = to < 0 ? int(text.size()) : to + 1;
            HighlightSpans piece;
            QVERIFY(ComputeHighlight(text.mid(from, to - from), lists, &piece, clock));
            for (int rule = 0; rule < kRuleCount; ++rule) {
                for (const Span &sp : piece[size_t(rule)])
                    joined[size_t(rule)].push_back({sp.start + from, sp.end + from});
            }
            from = to;
        }
        QVERIFY2(joined == whole, qPrintable(QString::number(round)));
    }
}

// Thousands of distinct characters would make the automaton's table too big;
// the plain search must then give the same result.
void TstHighlightCore::hugeAlphabetUsesPlainSearch()
{
    QRandomGenerator rng(7);
    QString alphabet;
    for (int i = 0; i < 6000; ++i)
        alphabet += QChar(0x4E00 + i);
    QStringList entries = RandomEntries(rng, 3000, alphabet.left(3000), 3);
    entries << "ab" << "b";
    QString text = RandomText(rng, 20000, alphabet.left(200)) + "abab";
    const QString folded = FoldCase(text);
    std::vector<SpanList> groups;
    QVERIFY(ScanKeywordGroups(text, {entries, QStringList{"b"}}, &groups));
    QCOMPARE(Paint(int(text.size()), groups[0]), KeywordOracle(folded, entries));
    QCOMPARE(Paint(int(text.size()), groups[1]), KeywordOracle(folded, {"b"}));
    QVERIFY(WellFormed(groups[0]));
}

// The trie's own child lists, which serve lists too large for the table,
// driven directly: long entries, entries sharing their first characters.
void TstHighlightCore::trieSteppingAgainstStepByStep_data()
{
    QTest::addColumn<QString>("alphabet");
    QTest::addColumn<int>("maxLen");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("textLen");
    QTest::newRow("short entries") << "abcAB;" << 4 << 30 << 400;
    QTest::newRow("two letters, long entries") << "ab" << 150 << 12 << 3000;
    QTest::newRow("one letter, overlapping") << "a" << 140 << 8 << 1000;
    QTest::newRow("line breaks inside") << "ab\r\n" << 80 << 20 << 2000;
    QTest::newRow("chinese") << "中文寄存器EAX" << 70 << 40 << 1500;
}

void TstHighlightCore::trieSteppingAgainstStepByStep()
{
    QFETCH(QString, alphabet);
    QFETCH(int, maxLen);
    QFETCH(int, entries);
    QFETCH(int, textLen);
    QRandomGenerator rng(11);
    for (int round = 0; round < 40; ++round) {
        const QString text = RandomText(rng, textLen, alphabet);
        const QString folded = FoldCase(text);
        QStringList a = RandomEntries(rng, entries, alphabet, maxLen);
        QStringList b = RandomEntries(rng, entries / 2, alphabet, maxLen);
        // Entries cut from the text itself, long ones among them, so that
        // long matches and shared first characters really occur.
        for (int k = 0; k < 6; ++k) {
            const int at = rng.bounded(int(text.size()));
            const QString piece = text.mid(at, 1 + rng.bounded(maxLen)).remove("\r\n");
            (k % 2 ? a : b) << piece << piece + "x";
        }
        const std::vector<SpanList> covered = TrieOnly(text, {a, b});
        QVERIFY(WellFormed(covered[0]) && WellFormed(covered[1]));
        QCOMPARE(Paint(int(text.size()), covered[0]), KeywordOracle(folded, a));
        QCOMPARE(Paint(int(text.size()), covered[1]), KeywordOracle(folded, b));
    }
}

void TstHighlightCore::emptyListsColourNothing()
{
    HighlightSpans spans;
    QVERIFY(ComputeHighlight(FoldCase(u"mov eax,1\r\n"), KeywordLists{}, &spans));
    for (const SpanList &s : spans)
        QVERIFY(s.empty());
}

namespace {

// index written in letters a..z, width letters long
QString Letters(int index, int width)
{
    QString s(width, QLatin1Char('a'));
    for (int k = width - 1; k >= 0; --k, index /= 26)
        s[k] = QChar(char16_t(u'a' + index % 26));
    return s;
}

QString Repeat(const QString &unit, int times)
{
    QString out;
    for (int i = 0; i < times; ++i)
        out += unit;
    return out;
}

} // namespace

// Entry sets that once made the scan slow or that could make a careless one
// quadratic, small enough for the entry-by-entry search; both ways of
// stepping must give its result.  Most have chains of over 64 entries ending
// at one place, which the scan handles apart from short ones.
void TstHighlightCore::pathologicalShapesAgainstStepByStep_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("text");
    const QString prefix(64, QLatin1Char('a'));
    QStringList behind;   // aaa is among them: it matches the text
    for (int i = 0; i < 300; ++i)
        behind << prefix + Letters(i, 3);
    QTest::newRow("300 entries behind a 64-letter prefix") << behind << QString(2000, QLatin1Char('A'));
    QStringList ones;
    for (int k = 1; k <= 100; ++k)
        ones << QString(k, k % 2 ? QLatin1Char('a') : QLatin1Char('A'));
    QTest::newRow("a, aa, ... on a...a") << ones << QString(1500, QLatin1Char('a')) + "b" + QString(700, QLatin1Char('a'));
    QRandomGenerator rng(5);
    QString word;
    for (int i = 0; i < 90; ++i)
        word += QChar(char16_t(u'a' + rng.bounded(2)));
    QStringList affixes;
    for (int k = 1; k <= word.size(); ++k)
        affixes << word.left(k) << word.right(k);
    QString mutated = Repeat(word, 40);
    for (int i = 0; i < 30; ++i)
        mutated[rng.bounded(int(mutated.size()))] = QLatin1Char('b');
    QTest::newRow("prefixes and suffixes of one word") << affixes << mutated;
    const QString period = QString("movzx eax,byte ptr ds:[esi+ecx];jnz short 00401f2c;lea ecx,[ebp-8];push").left(70);
    QStringList pieces;
    for (int len = 1; len <= period.size(); ++len)
        for (int at = 0; at < period.size(); ++at)
            pieces << (period + period).mid(at, len);
    QTest::newRow("every piece of a period") << pieces << Repeat(period, 40);
    const QString text = Repeat("ab", 500);
    QTest::newRow("entries as long as the text or longer")
        << QStringList{text, text + "a", text.left(999), text.mid(1)} << text;
}

void TstHighlightCore::pathologicalShapesAgainstStepByStep()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, text);
    // As many groups as there may be, so that one entry's wrong match is
    // not hidden under another's.
    std::vector<QStringList> groups(32);
    for (int i = 0; i < entries.size(); ++i)
        groups[size_t(i % 32)] << entries[i];
    const QString folded = FoldCase(text);
    std::vector<SpanList> table;
    QVERIFY(ScanKeywordGroups(text, groups, &table));
    const std::vector<SpanList> trie = TrieOnly(text, groups);
    for (size_t g = 0; g < groups.size(); ++g) {
        QVERIFY(WellFormed(table[g]));
        QCOMPARE(Paint(int(text.size()), table[g]), KeywordOracle(folded, groups[g]));
        QCOMPARE(trie[g], table[g]);
    }
}

// The text is folded as it is read: the plain text must give exactly what
// its folded copy gives, for every character that folding changes, for
// surrogate pairs (folded as one code point) and for lone surrogates.
void TstHighlightCore::plainTextGivesTheFoldedResult()
{
    QString changing;
    for (char32_t u = 0; u < 0x10000; ++u) {
        const QChar c = QChar(char16_t(u));
        if (!c.isSurrogate() && c.toCaseFolded() != c)
            changing += c;
    }
    const QString deseret = QString::fromUcs4(U"\U00010400x\U00010428");   // capital, small
    QRandomGenerator rng(3);
    const QString marks[] = {"[", "]", ";", "\r\n", " ", deseret, QString(QChar(0xD801)), QString(QChar(0xDC00))};
    QString text;
    for (QChar c : changing) {
        text += c;
        if (rng.bounded(4) == 0)
            text += marks[rng.bounded(8)];
    }
    KeywordLists lists;
    lists.finda << QString::fromUcs4(U"\U00010400") << QString(QChar(0xD801));
    for (int i = 0; i < 200; ++i) {
        const QString piece = text.mid(rng.bounded(int(text.size())), 1 + rng.bounded(3));
        (i % 2 ? lists.eax : lists.mov) << (i % 3 ? piece : piece.toUpper());
    }
    const QString folded = FoldCase(text);
    HighlightSpans plain, fromFolded;
    QVERIFY(ComputeHighlight(text, lists, &plain));
    QVERIFY(ComputeHighlight(folded, lists, &fromFolded));
    for (int rule = 0; rule < kRuleCount; ++rule)
        QCOMPARE(plain[size_t(rule)], fromFolded[size_t(rule)]);
    QCOMPARE(TrieOnly(text, {lists.eax, lists.jmp, lists.mov, lists.finda})[3], plain[kRuleFinda]);
    QCOMPARE(Paint(int(text.size()), plain[kRuleFinda]), KeywordOracle(folded, lists.finda));
    QCOMPARE(Paint(int(text.size()), plain[kRuleEax]), KeywordOracle(folded, lists.eax));
    QVERIFY(!plain[kRuleFinda].empty());
}

namespace {

// 2,000 entries behind a 64-letter prefix on a long text: all stages of the
// computation have real work.
struct SlowInput
{
    KeywordLists lists;
    QString text;
    SlowInput()
    {
        for (int i = 0; i < 2000; ++i)
            lists.finda << QString(64, QLatin1Char('a')) + Letters(i, 3);
        text = QString(200000, QLatin1Char('a')) + "[x]; y\r\n";
    }
};

} // namespace

// Progress comes by the clock, not by a count of characters: with no pause
// asked for, a call comes every few thousand units of work in every stage
// and done never goes back; with a long pause, none comes at all.
void TstHighlightCore::progressFollowsTheClock()
{
    const SlowInput in;
    const qint64 total = HighlightWork(in.text, in.lists);
    QVector<qint64> done;
    ScanClock eager([&](qint64 d, qint64 t) { done << d; return t == total; }, total, 0);
    HighlightSpans spans, quiet;
    QVERIFY(ComputeHighlight(in.text, in.lists, &spans, eager));
    QVERIFY(done.size() > 20);
    QVERIFY(done.front() < KeywordChars({in.lists.finda}, in.text.size()));   // while building
    done.prepend(0);
    done.append(total);
    for (int i = 1; i < done.size(); ++i) {
        QVERIFY2(done[i] >= done[i - 1], qPrintable(QString::number(i)));
        QVERIFY2(done[i] - done[i - 1] <= 2 * 65536, qPrintable(QString::number(i)));
    }
    int calls = 0;
    ScanClock patient(
        [&](qint64, qint64) {
            ++calls;
            return true;
        },
        total, 3600 * 1000);
    QVERIFY(ComputeHighlight(in.text, in.lists, &quiet, patient));
    QCOMPARE(calls, 0);
    QCOMPARE(quiet, spans);
}

void TstHighlightCore::abandoningStopsAtOnce_data()
{
    QTest::addColumn<double>("share");   // of the work done when the answer turns to no
    QTest::newRow("while building") << 0.05;
    QTest::newRow("while scanning") << 0.3;
    QTest::newRow("brackets") << 0.6;
    QTest::newRow("comments") << 0.9;
}

void TstHighlightCore::abandoningStopsAtOnce()
{
    QFETCH(double, share);
    const SlowInput in;
    const qint64 total = HighlightWork(in.text, in.lists);
    int callsAfterNo = 0;
    bool said = false;
    ScanClock clock(
        [&](qint64 done, qint64) {
            callsAfterNo += said;
            said = said || done >= qint64(share * double(total));
            return !said;
        },
        total, 0);
    HighlightSpans spans;
    QVERIFY(!ComputeHighlight(in.text, in.lists, &spans, clock));
    QVERIFY(said);
    QCOMPARE(callsAfterNo, 0);
}

QTEST_GUILESS_MAIN(TstHighlightCore)
#include "tst_highlight_core.moc"
