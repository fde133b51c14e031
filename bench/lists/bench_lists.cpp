// How well the keyword lists read on a listing with API calls: runs the
// real "OD语法高亮" pass on the document model and counts the identifiers
// that end up in more than one colour (a colourless stretch counts as a
// colour of its own).
//
//   bench_lists [--lists DIR] [--listing FILE] [--lines N] [--show N]
//
// DIR holds the four lists (default: the program's folder, where the build
// puts the shipped ones).  Without --listing, a generated listing of N lines
// (default 100000) in the debugger's layout; with it, any listing file.
// --show prints the N identifiers most often split, with their colours.
//
// Identifiers are words of letters, digits and "_" that start with a
// letter or "_", in the instruction column (from column 28 of a line that
// starts with an 8-digit address, else the whole line) up to a ";"; words
// made of hexadecimal digits only are numbers and not counted (which also
// leaves out ADD, DEC and the like, which no list colours).  Names between
// "<" and ">" are the debugger's symbols: module and API names; of these,
// the names data-finda.txt does not hold (whole, or less an A/W ending)
// show how the lists read on names nobody listed.
#include "bench/lists/api_listing.h"
#include "document/document.h"
#include "document/document_io.h"
#include "highlight/core/highlight_document.h"
#include "highlight/core/keyword_lists.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cstdio>
#include <set>

using namespace lumora;

namespace {

struct Share
{
    qint64 all = 0;
    qint64 split = 0;
    double Percent() const { return all ? 100.0 * double(split) / double(all) : 0; }
};

struct Counts
{
    Share identifiers;
    Share symbols;
    Share exposed;    // symbols outside "[" ... "]", which the bracket rule does not cover
    Share unlisted;   // symbols no finda entry names whole
    QHash<QString, int> splitWords;   // word and its colours -> occurrences
};

QString ColourName(qint64 c)
{
    switch (c) {
    case -1: return QStringLiteral("none");
    case 0x0000FF: return QStringLiteral("red");
    case 0xFF0000: return QStringLiteral("blue");
    case 0x00C0C0: return QStringLiteral("yellow");
    case 0x800080: return QStringLiteral("purple");
    case 0xFF00FF: return QStringLiteral("magenta");
    case 0xFFC0C0: return QStringLiteral("lightblue");
    default: return QString::number(c, 16);
    }
}

bool IsWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

bool IsHexWord(QStringView w)
{
    return std::all_of(w.begin(), w.end(), [](QChar c) { return isxdigit(c.unicode() < 128 ? int(c.unicode()) : 'g'); });
}

// The word [from, to) in colours: "Handle: none|red|none".
QString Colours(const Document &doc, qsizetype from, qsizetype to)
{
    QStringList parts;
    qint64 last = -2;
    for (qsizetype i = from; i < to; ++i) {
        const std::optional<OleColor> color = doc.formats.At(doc.runs.FormatAt(int(i))).color;
        const qint64 c = color ? qint64(*color) : -1;
        if (c != last)
            parts << ColourName(c);
        last = c;
    }
    return parts.join(u'|');
}

// A name finda holds: the whole word, or the word less its A/W ending.
bool Listed(QStringView word, const QSet<QString> &finda)
{
    const QString folded = word.toString().toCaseFolded();
    return finda.contains(folded)
        || ((folded.endsWith(u'a') || folded.endsWith(u'w')) && finda.contains(folded.chopped(1)));
}

void CountLine(const Document &doc, qsizetype start, qsizetype end, const QSet<QString> &finda, Counts &counts)
{
    const QStringView line = QStringView(doc.text).mid(start, end - start);
    const bool addressed = line.size() > 28 && IsHexWord(line.left(8)) && line.mid(8, 2) == QLatin1String("  ");
    qsizetype i = addressed ? 28 : 0;
    int angle = 0;   // inside "<" ... ">"
    bool bracket = false;
    for (; i < line.size() && line[i] != u';'; ++i) {
        if (line[i] == u'[')
            bracket = true;
        else if (line[i] == u']')
            bracket = false;
        else if (line[i] == u'<')
            ++angle;
        else if (line[i] == u'>')
            angle = std::max(0, angle - 1);
        if (!IsWordChar(line[i]) || line[i].isDigit())
            continue;
        qsizetype e = i;
        while (e < line.size() && IsWordChar(line[e]))
            ++e;
        const QStringView word = line.mid(i, e - i);
        if (!IsHexWord(word)) {
            const QString colours = Colours(doc, start + i, start + e);
            const bool split = colours.contains(u'|');
            counts.identifiers.all++;
            counts.identifiers.split += split;
            if (angle > 0) {
                counts.symbols.all++;
                counts.symbols.split += split;
                if (!bracket) {
                    counts.exposed.all++;
                    counts.exposed.split += split;
                }
                if (!Listed(word, finda)) {
                    counts.unlisted.all++;
                    counts.unlisted.split += split;
                }
            }
            if (split)
                counts.splitWords[word.toString() + QStringLiteral(": ") + colours]++;
        }
        i = e - 1;
    }
}

Counts Count(const Document &doc, const QSet<QString> &finda)
{
    Counts counts;
    qsizetype start = 0;
    while (start <= doc.text.size()) {
        qsizetype end = doc.text.indexOf(QLatin1String("\r\n"), start);
        if (end < 0)
            end = doc.text.size();
        CountLine(doc, start, end, finda, counts);
        start = end + 2;
    }
    return counts;
}

QString Option(const QStringList &args, const QString &name, const QString &fallback)
{
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args[at + 1] : fallback;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString lists = Option(args, QStringLiteral("--lists"), QCoreApplication::applicationDirPath());
    const QString listing = Option(args, QStringLiteral("--listing"), QString());
    const int lines = Option(args, QStringLiteral("--lines"), QStringLiteral("100000")).toInt();
    const int show = Option(args, QStringLiteral("--show"), QStringLiteral("0")).toInt();

    Document doc;
    QString error;
    if (listing.isEmpty())
        doc = Document::FromText(GenerateApiListing(lines));
    else if (!ReadDocumentFile(listing, &doc, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    HighlightDocument(doc, lists);
    QSet<QString> finda;
    for (const QString &entry : LoadKeywordList(lists, QLatin1String(kFindaListFile)))
        finda.insert(entry.toCaseFolded());
    const Counts counts = Count(doc, finda);
    std::printf("lists %s, %s\n", qPrintable(lists),
                listing.isEmpty() ? qPrintable(QStringLiteral("generated listing of %1 lines").arg(lines))
                                  : qPrintable(listing));
    std::printf("identifiers in more than one colour: %lld of %lld (%.2f %%)\n", counts.identifiers.split,
                counts.identifiers.all, counts.identifiers.Percent());
    std::printf("  of them module and API names in <...>: %lld of %lld (%.2f %%)\n", counts.symbols.split,
                counts.symbols.all, counts.symbols.Percent());
    std::printf("  of them outside [...], as in CALL <JMP.&...>: %lld of %lld (%.2f %%)\n", counts.exposed.split,
                counts.exposed.all, counts.exposed.Percent());
    std::printf("  of them names finda does not hold: %lld of %lld (%.2f %%)\n", counts.unlisted.split,
                counts.unlisted.all, counts.unlisted.Percent());
    std::vector<std::pair<int, QString>> worst;
    for (auto it = counts.splitWords.cbegin(); it != counts.splitWords.cend(); ++it)
        worst.emplace_back(-it.value(), it.key());
    std::sort(worst.begin(), worst.end());
    for (int i = 0; i < show && i < int(worst.size()); ++i)
        std::printf("%6d  %s\n", -worst[size_t(i)].first, qPrintable(worst[size_t(i)].second));
    return 0;
}
