// The run list against the plainest model of it: one format per character.
#include "document/char_format.h"
#include "document/run_list.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace lumora;

namespace {

std::vector<int> Expand(const RunList &l)
{
    std::vector<int> out;
    int at = 0;
    for (const FormatRun &r : l.Runs()) {
        for (; at < r.end; ++at)
            out.push_back(r.format);
    }
    return out;
}

RunList Compress(const std::vector<int> &chars)
{
    RunList l;
    for (int f : chars)
        l.Append(1, f);
    return l;
}

// Runs rise strictly and neighbours differ.
bool WellFormed(const RunList &l)
{
    int prevEnd = 0, prevFormat = -1;
    for (const FormatRun &r : l.Runs()) {
        if (r.end <= prevEnd || r.format == prevFormat)
            return false;
        prevEnd = r.end;
        prevFormat = r.format;
    }
    return true;
}

} // namespace

class TstRunList : public QObject
{
    Q_OBJECT
private slots:
    void randomEditsMatchPerCharacterModel();
    void recolorKeepsOtherProperties();
};

void TstRunList::randomEditsMatchPerCharacterModel()
{
    QRandomGenerator rng(20261209);
    FormatTable formats;
    for (int f = 1; f < 4; ++f)
        formats.Id(CharFormat{QString(), 0, f, false, false, false, false, -1});
    std::vector<int> model;
    RunList runs;
    for (int step = 0; step < 5000; ++step) {
        const int len = int(model.size());
        const int pos = rng.bounded(len + 1);
        const int op = rng.bounded(3);
        if (op == 0) {   // replace a stretch by new characters
            const int removed = rng.bounded(len - pos + 1) / 2;
            std::vector<int> ins(size_t(rng.bounded(6)));
            for (int &f : ins)
                f = rng.bounded(4);
            model.erase(model.begin() + pos, model.begin() + pos + removed);
            model.insert(model.begin() + pos, ins.begin(), ins.end());
            runs.Replace(pos, removed, Compress(ins));
        } else if (op == 1) {   // colour a few pieces
            std::vector<ColorPiece> pieces;
            for (int at = pos; at < len && pieces.size() < 4;) {
                const int s = at + rng.bounded(4), e = s + 1 + rng.bounded(5);
                const int c = rng.bounded(3) + 1;
                pieces.push_back({s, e, c});
                for (int i = s; i < std::min(e, len); ++i)
                    model[size_t(i)] = formats.WithColor(model[size_t(i)], c);
                at = e;
            }
            runs.Recolor(pieces, formats);
        } else {
            const int to = pos + rng.bounded(len - pos + 1);
            QCOMPARE(Expand(runs.Slice(pos, to)), std::vector<int>(model.begin() + pos, model.begin() + to));
        }
        QVERIFY2(WellFormed(runs), qPrintable(QString::number(step)));
        QCOMPARE(Expand(runs), model);
        if (!model.empty()) {
            const int at = rng.bounded(int(model.size()));
            QCOMPARE(runs.FormatAt(at), model[size_t(at)]);
        }
    }
}

void TstRunList::recolorKeepsOtherProperties()
{
    FormatTable formats;
    CharFormat bold;
    bold.bold = true;
    bold.color = 0x0000FF;
    const int b = formats.Id(bold);
    RunList runs(10, b);
    runs.Recolor({{2, 4, 0xFF0000}}, formats);
    const CharFormat &mid = formats.At(runs.FormatAt(3));
    QVERIFY(mid.bold);
    QCOMPARE(mid.color, std::optional<OleColor>(0xFF0000));
    QCOMPARE(runs.FormatAt(4), b);
    QCOMPARE(int(runs.Runs().size()), 3);
}

QTEST_GUILESS_MAIN(TstRunList)
#include "tst_run_list.moc"
