#include "rtf_reader.h"
#include "rtf_test_support.h"
#include "rtf_writer.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

using lumora::Document;
using lumora::ReadRtf;
using lumora::WriteRtf;

namespace {

const QString kCorpus = QStringLiteral(LUMORA_SOURCE_DIR "/tests/rich_text/data/rtf-corpus");

QByteArray FileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList Words(const QString &text)
{
    static const QRegularExpression word(QStringLiteral("\\w+"), QRegularExpression::UseUnicodePropertiesOption);
    QStringList out;
    for (auto it = word.globalMatch(text); it.hasNext();)
        out << it.next().captured();
    return out;
}

// The reference words missing from ours, keeping order (a word of theirs
// must come after the previous one found).
QStringList MissingInOrder(const QStringList &theirs, const QStringList &ours)
{
    QStringList missing;
    qsizetype at = 0;
    for (const QString &w : theirs) {
        const qsizetype found = ours.indexOf(w, at);
        if (found < 0)
            missing << w;
        else
            at = found + 1;
    }
    return missing;
}

} // namespace

class TstRtfCorpus : public QObject
{
    Q_OBJECT
private slots:
    void loads_data() { Files(); }
    void loads();
    void roundTrip_data() { Files(); }
    void roundTrip();

private:
    static void Files();
};

void TstRtfCorpus::Files()
{
    QTest::addColumn<QString>("name");
    const QStringList names = QDir(kCorpus + QStringLiteral("/rtf")).entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name);
    QVERIFY2(names.size() >= 35, qPrintable(kCorpus));
    for (const QString &n : names)
        QTest::newRow(qPrintable(n)) << n.chopped(4);
}

// Each real-world file loads with the words and characters
// the reference converter found, in the same order.  The reference prints a
// hyperlink's target after its text; we show the text only, as Word does.
void TstRtfCorpus::loads()
{
    QFETCH(QString, name);
    Document doc;
    QString error;
    QVERIFY2(ReadRtf(FileBytes(kCorpus + QStringLiteral("/rtf/") + name + QStringLiteral(".rtf")), &doc, &error),
             qPrintable(error));
    QVERIFY(!doc.text.isEmpty());
    const QString refPath = kCorpus + QStringLiteral("/text/") + name + QStringLiteral(".txt");
    if (!QFile::exists(refPath))
        return;
    QString reference = QString::fromUtf8(FileBytes(refPath));
    reference.remove(QRegularExpression(QStringLiteral("\\(\"[^\"]*\"\\)")));
    const QStringList missing = MissingInOrder(Words(reference), Words(doc.text));
    QVERIFY2(missing.isEmpty(), qPrintable(missing.mid(0, 20).join(QLatin1Char(' '))));
}

// Whatever we read, we write so that it reads back the same.
void TstRtfCorpus::roundTrip()
{
    QFETCH(QString, name);
    Document doc;
    QVERIFY(ReadRtf(FileBytes(kCorpus + QStringLiteral("/rtf/") + name + QStringLiteral(".rtf")), &doc, nullptr));
    Document back;
    QString error;
    QVERIFY2(ReadRtf(WriteRtf(doc), &back, &error), qPrintable(error));
    QCOMPARE(rtftest::Contents(back), rtftest::Contents(doc));
}

QTEST_GUILESS_MAIN(TstRtfCorpus)
#include "tst_rtf_corpus.moc"
