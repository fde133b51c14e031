#include "document/document_io.h"
#include "document/rtf_reader.h"
#include "tests/document/rtf_test_support.h"
#include "document/rtf_writer.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

using lumora::Document;
using lumora::ReadRtf;
using lumora::WriteRtf;

namespace {

const QString kCorpus = QStringLiteral(LUMORA_SOURCE_DIR "/tests/document/data/rtf-corpus");
// Small files of our own, each written as one program writes RTF, with the
// exact text a reader must show.
const QString kWriters = QStringLiteral(LUMORA_SOURCE_DIR "/tests/document/data/rtf-writers/");

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
    void writers_data();
    void writers();
    void writerFormats_data();
    void writerFormats();
    void omittedParts_data();
    void omittedParts();

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

void TstRtfCorpus::writers_data()
{
    QTest::addColumn<QString>("name");
    const QStringList names = QDir(kWriters).entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    for (const QString &n : names)
        QTest::newRow(qPrintable(n)) << n.chopped(4);
}

// The text is exactly the expected one, and again after a save.
void TstRtfCorpus::writers()
{
    QFETCH(QString, name);
    Document doc;
    QString error;
    QVERIFY2(ReadRtf(FileBytes(kWriters + name + QStringLiteral(".rtf")), &doc, &error), qPrintable(error));
    const QString expected = QString::fromUtf8(FileBytes(kWriters + name + QStringLiteral(".txt")));
    QCOMPARE(rtftest::PlainText(doc), expected);
    Document back;
    QVERIFY(ReadRtf(WriteRtf(doc), &back, nullptr));
    QCOMPARE(rtftest::Contents(back), rtftest::Contents(doc));
}

void TstRtfCorpus::writerFormats_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<QString>("look");   // rtftest::Signature of its characters
    QTest::newRow("deep bold") << "outlook-deep-reply" << "bold deep" << "Arial/12/0/b---";
    QTest::newRow("deep plain after bold") << "outlook-deep-reply" << "plain deep" << "Arial/12/0/----";
    QTest::newRow("chinese bold and 18 pt") << "libreoffice-chinese-bold" << "中文" << "SimSun/18/auto/b---";
    QTest::newRow("chinese in the paragraph's look") << "libreoffice-chinese-bold" << "普通" << "SimSun/12/auto/----";
    QTest::newRow("latin in the paragraph's look") << "libreoffice-chinese-bold" << "Plain" << "Liberation Serif/12/auto/----";
}

// Each character of the fragment has the look, after open and after a save.
void TstRtfCorpus::writerFormats()
{
    QFETCH(QString, name);
    QFETCH(QString, fragment);
    QFETCH(QString, look);
    Document doc;
    QVERIFY(ReadRtf(FileBytes(kWriters + name + QStringLiteral(".rtf")), &doc, nullptr));
    Document back;
    QVERIFY(ReadRtf(WriteRtf(doc), &back, nullptr));
    for (const Document *d : {&doc, &back}) {
        const qsizetype at = d->text.indexOf(fragment);
        QVERIFY2(at >= 0, qPrintable(d->text));
        for (qsizetype i = at; i < at + fragment.size(); ++i)
            QCOMPARE(rtftest::Signature(d->formats.At(d->runs.FormatAt(int(i)))), look);
    }
}

void TstRtfCorpus::omittedParts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("notice");
    QTest::newRow("footnote, headers, footer, comment") << "word2003-notes-and-headers"
                                                        << "此文件中的脚注、页眉、页脚和批注未被读入，保存时不会包含它们。";
    QTest::newRow("a header holding only a picture") << "word-header-logo"
                                                     << "此文件中的页眉未被读入，保存时不会包含它们。";
    QTest::newRow("empty header and footer are no loss") << "libreoffice-empty-header" << "";
    QTest::newRow("nothing left out") << "staroffice-char-styles" << "";
}

// The parts the document does not keep are named, once each, only where
// they held something.
void TstRtfCorpus::omittedParts()
{
    QFETCH(QString, name);
    QFETCH(QString, notice);
    Document doc;
    QVERIFY(ReadRtf(FileBytes(kWriters + name + QStringLiteral(".rtf")), &doc, nullptr));
    QCOMPARE(lumora::OmittedPartsNotice(doc.omitted), notice);
}

QTEST_GUILESS_MAIN(TstRtfCorpus)
#include "tst_rtf_corpus.moc"
