#include "bench/highlight/pathological.h"

#include "highlight/core/highlight_core.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <random>

using namespace lumora;

namespace {

constexpr int kTextLetters = 160000;

struct Shape
{
    const char *name;
    QStringList entries;   // added to the shipped data-finda.txt
    QString text;
    bool inEditor;
};

QString Repeat(const QString &unit, int letters)
{
    QString out;
    out.reserve(letters + int(unit.size()));
    while (out.size() < letters)
        out += unit;
    out.truncate(letters);
    return out;
}

// index written in letters a..z, always width letters long
QString Letters(int index, int width)
{
    QString s(width, QLatin1Char('a'));
    for (int k = width - 1; k >= 0; --k, index /= 26)
        s[k] = QChar(char16_t(u'a' + index % 26));
    return s;
}

QStringList BehindPrefix(const QString &prefix, int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << prefix + Letters(i, 4);
    return out;
}

std::vector<Shape> Shapes()
{
    const QString oneLetter(64, QLatin1Char('a'));
    const QString mixed = QStringLiteral("movzxeaxbyteptrdsesiecxjnzshortleaecxdwordptrsspushcalltesteaxj");
    std::mt19937 rng(3);
    QString random;
    for (int i = 0; i < 2000; ++i)
        random += QChar(char16_t(u'a' + rng() % 2));
    QStringList affixes;   // every prefix and every suffix of one string
    for (int len = 1; len <= random.size(); ++len)
        affixes << random.left(len) << random.right(len);
    QStringList ones;      // a, aa, aaa, ...
    for (int len = 1; len <= 2000; ++len)
        ones << QString(len, QLatin1Char('a'));
    const QString period = mixed;
    QStringList rotations;   // every piece of a 64-letter period, any length
    for (int len = 1; len <= period.size(); ++len)
        for (int at = 0; at < period.size(); ++at)
            rotations << (period + period).mid(at, len);
    QString nearMisses;      // a listing of lines one letter short of an entry
    for (int i = 0; nearMisses.size() < kTextLetters; ++i)
        nearMisses += mixed + Letters(i, 3) + QStringLiteral("\r\n");

    return {
        {"20,000 entries behind a 64 x 'a' prefix, text a...a", BehindPrefix(oneLetter, 20000),
         QString(kTextLetters, QLatin1Char('a')), true},
        {"20,000 entries behind a mixed 64-letter prefix, text the prefix repeated",
         BehindPrefix(mixed, 20000), Repeat(mixed, kTextLetters), true},
        {"the same entries, a listing of near matches", BehindPrefix(mixed, 20000), nearMisses, false},
        {"2,000 entries a, aa, ..., text a...a", ones, QString(kTextLetters, QLatin1Char('a')), false},
        {"4,000 prefixes and suffixes of one a/b string, text it repeated", affixes,
         Repeat(random, kTextLetters), false},
        {"one entry of 100,000 x 'a', text a...a", {QString(100000, QLatin1Char('a'))},
         QString(kTextLetters, QLatin1Char('a')), false},
        {"4,096 pieces of a 64-letter period, text the period repeated", rotations,
         Repeat(period, kTextLetters), false},
    };
}

void WriteLists(const QString &dir, const KeywordLists &lists)
{
    const std::pair<const char *, const KeywordList *> files[] = {
        {kJmpListFile, &lists.jmp}, {kEaxListFile, &lists.eax}, {kMovListFile, &lists.mov},
        {kFindaListFile, &lists.finda}};
    for (const auto &f : files) {
        QFile out(dir + QLatin1Char('/') + QLatin1String(f.first));
        const QByteArray bytes = f.second->join(QLatin1String("\r\n")).toLatin1();
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(out.fileName()));
    }
}

} // namespace

void PathologicalLists(const QString &listFolder, const QString &workDir, const EditorPass &editorPass)
{
    std::printf("\npathological lists beside the shipped ones (%d-letter texts)\n", kTextLetters);
    std::printf("  %-74s %9s %12s %11s\n", "shape", "compute s", "max quiet s", "in-editor s");
    const KeywordLists shipped = LoadKeywordLists(listFolder);
    const QString dir = workDir + QStringLiteral("/pathological");
    QDir().mkpath(dir);
    for (const Shape &shape : Shapes()) {
        KeywordLists lists = shipped;
        lists.finda += shape.entries;
        QElapsedTimer clock, quiet;
        qint64 longestQuiet = 0;
        clock.start();
        quiet.start();
        HighlightSpans spans;
        ComputeHighlight(shape.text, lists, &spans, [&](qint64, qint64) {
            longestQuiet = std::max(longestQuiet, quiet.nsecsElapsed());
            quiet.restart();
            return true;
        });
        const double compute = clock.nsecsElapsed() / 1e9;
        longestQuiet = std::max(longestQuiet, quiet.nsecsElapsed());
        double editor = -1;
        if (editorPass && shape.inEditor) {
            WriteLists(dir, lists);
            editor = editorPass(shape.text, dir);
        }
        std::printf("  %-74s %9.3f %12.3f %11.3f\n", shape.name, compute, longestQuiet / 1e9, editor);
        std::fflush(stdout);
    }
}
