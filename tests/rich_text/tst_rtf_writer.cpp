#include "pictures.h"
#include "rtf_reader.h"
#include "rtf_test_support.h"
#include "rtf_writer.h"

#include <QTextCursor>
#include <QtTest>

using lumora::ReadRtf;
using lumora::WriteRtf;

namespace {

// Braces outside escapes balance, and the document is one group.
bool Balanced(const QByteArray &rtf)
{
    int depth = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '\\') {
            ++i;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0)
                return rtf.mid(i + 1).trimmed().isEmpty();
        }
    }
    return false;
}

QByteArray BodyOf(const QString &text, const QTextCharFormat &fmt = QTextCharFormat())
{
    std::unique_ptr<QTextDocument> doc(rtftest::NewDocument());
    QTextCursor(doc.get()).insertText(text, fmt);
    const QByteArray rtf = WriteRtf(*doc);
    const qsizetype at = rtf.indexOf("\\pard\\plain");
    QByteArray body = rtf.mid(at + 11, rtf.lastIndexOf('}') - at - 11);
    while (body.endsWith('\n') || body.endsWith('\r'))
        body.chop(1);
    return body;
}

QImage TestImage(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgba(x * 40 % 256, y * 70 % 256, (x + y) * 13 % 256, 255));
    return img;
}

} // namespace

class TstRtfWriter : public QObject
{
    Q_OBJECT
private slots:
    void emptyDocumentIsComplete();
    void header();
    void text_data();
    void text();
    void firstTextAtPlainDefaults();
    void onlyAscii();
    void formatsWrittenWhereTheyChange();
    void pictureAsPngWithFallback();
    void roundTrip_data();
    void roundTrip();
    void roundTripPicture();
};

void TstRtfWriter::emptyDocumentIsComplete()
{
    std::unique_ptr<QTextDocument> doc(rtftest::NewDocument());
    const QByteArray rtf = WriteRtf(*doc);
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg936\\deff0"));
    QVERIFY(Balanced(rtf));
    QString error;
    std::unique_ptr<QTextDocument> back(rtftest::NewDocument());
    QTextCursor(back.get()).insertText(QStringLiteral("old"));
    QVERIFY2(ReadRtf(rtf, *back, &error), qPrintable(error));
    QCOMPARE(back->toPlainText(), QString());
}

void TstRtfWriter::header()
{
    std::unique_ptr<QTextDocument> doc(rtftest::NewDocument());
    QTextCharFormat courier;
    courier.setFontFamilies({QStringLiteral("Courier New")});
    QTextCharFormat hei;
    hei.setFontFamilies({QStringLiteral("黑体")});
    QTextCursor c(doc.get());
    c.insertText(QStringLiteral("a"), courier);
    c.insertText(QStringLiteral("b"), hei);
    const QByteArray rtf = WriteRtf(*doc);
    // The default face is \f0 and every face declares GBK, names escaped.
    QVERIFY(rtf.contains("{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}"));
    QVERIFY(rtf.contains("{\\f1\\fnil\\fcharset134 Courier New;}"));
    QVERIFY(rtf.contains("{\\f2\\fnil\\fcharset134 \\'ba\\'da\\'cc\\'e5;}"));
    QVERIFY(rtf.contains("{\\colortbl ;}"));
    QVERIFY(rtf.contains("\\uc1"));
}

void TstRtfWriter::text_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("ascii after a control word") << QStringLiteral("mov") << QByteArray("\\fs18 mov");
    QTest::newRow("syntax characters escaped") << QStringLiteral("{a\\b}") << QByteArray("\\fs18 \\{a\\\\b\\}");
    QTest::newRow("gbk pairs") << QStringLiteral("你好") << QByteArray("\\fs18\\'c4\\'e3\\'ba\\'c3");
    // GBK trail bytes can be '\\', '{' and '}': never written raw.
    QTest::newRow("trail bytes 5c 7b 7d") << QStringLiteral("乗亄亇") << QByteArray("\\fs18\\'81\\'5c\\'81\\'7b\\'81\\'7d");
    QTest::newRow("outside gbk") << QStringLiteral("€") << QByteArray("\\fs18\\u8364?");
    QTest::newRow("above u+7fff is negative") << QStringLiteral("\uFF61") << QByteArray("\\fs18\\u-159?");
    QTest::newRow("surrogate pair") << QString::fromUtf8("\xF0\x9F\x98\x80") << QByteArray("\\fs18\\u-10179?\\u-8704?");
    QTest::newRow("tab and soft break") << QStringLiteral("a\tb\u2028c") << QByteArray("\\fs18 a\\tab b\\line c");
    QTest::newRow("paragraphs") << QStringLiteral("a\n\nb") << QByteArray("\\fs18 a\\par\r\n\\par\r\nb");
    QTest::newRow("space after a word is doubled") << QStringLiteral(" x") << QByteArray("\\fs18  x");
}

void TstRtfWriter::text()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, body);
    QCOMPARE(BodyOf(text), body);
}

// Text that needs no format word still needs the delimiter after \plain.
void TstRtfWriter::firstTextAtPlainDefaults()
{
    QTextCharFormat twelve;
    twelve.setFontPointSize(12);   // what \plain gives
    QCOMPARE(BodyOf(QStringLiteral("Test"), twelve), QByteArray(" Test"));
    QCOMPARE(BodyOf(QStringLiteral(" x"), twelve), QByteArray("  x"));
}

void TstRtfWriter::onlyAscii()
{
    const QByteArray rtf = BodyOf(QStringLiteral("中文 ǹ \u00e9 \u0416 \U0002A6B2 \u3000"));
    for (char c : rtf)
        QVERIFY2(uchar(c) < 0x80, rtf.constData());
}

void TstRtfWriter::formatsWrittenWhereTheyChange()
{
    std::unique_ptr<QTextDocument> doc(rtftest::NewDocument());
    QTextCursor c(doc.get());
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    QTextCharFormat redBold = red;
    redBold.setFontWeight(QFont::Bold);
    QTextCharFormat big;
    big.setFontPointSize(10.5);
    big.setFontItalic(true);
    big.setFontUnderline(true);
    big.setFontStrikeOut(true);
    c.insertText(QStringLiteral("a"), red);
    c.insertText(QStringLiteral("b"), redBold);
    c.insertText(QStringLiteral("c"), red);
    c.insertText(QStringLiteral("d"), big);
    const QByteArray rtf = WriteRtf(*doc);
    QVERIFY(rtf.contains("{\\colortbl ;\\red255\\green0\\blue0;}"));
    QVERIFY2(rtf.contains("\\fs18\\cf1 a\\b b\\b0 c\\fs21\\cf0\\i\\ul\\strike d"), rtf.constData());
}

void TstRtfWriter::pictureAsPngWithFallback()
{
    std::unique_ptr<QTextDocument> doc(rtftest::NewDocument());
    QTextCursor c(doc.get());
    lumora::InsertPicture(c, TestImage(3, 2));
    const QByteArray rtf = WriteRtf(*doc);
    QVERIFY(rtf.contains("{\\*\\shppict{\\pict\\pngblip\\picw3\\pich2\\picwgoal45\\pichgoal30\r\n89504e47"));
    QVERIFY(rtf.contains("{\\nonshppict{\\pict\\wmetafile8\\picw79\\pich53\\picwgoal45\\pichgoal30\r\n01000900"));
    QVERIFY(Balanced(rtf));
}

void TstRtfWriter::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("one line") << QStringLiteral("push ebp");
    QTest::newRow("blank lines and ends") << QStringLiteral("\n\na\n\n");
    QTest::newRow("chinese, symbols, braces") << QStringLiteral("破解 {x} \\y ;注释\t乗亄亇");
    QTest::newRow("outside gbk") << QString::fromUtf8("\xF0\x9F\x98\x80 € \xF0\xA0\x80\x80 \u00A0 \u2028x");
}

// The text with its CR LF structure survives Save then Open.
void TstRtfWriter::roundTrip()
{
    QFETCH(QString, text);
    std::unique_ptr<QTextDocument> doc(rtftest::NewDocument());
    QTextCursor c(doc.get());
    c.insertText(text);
    // Every format the editor sets, over stretches of the text.
    const struct { int from, to; } spans[] = {{0, 2}, {1, 4}, {3, 9}, {5, 6}};
    int which = 0;
    for (const auto &s : spans) {
        if (s.from >= doc->characterCount() - 1)
            break;
        c.setPosition(s.from);
        c.setPosition(std::min(s.to, doc->characterCount() - 1), QTextCursor::KeepAnchor);
        QTextCharFormat f;
        switch (which++) {
        case 0: f.setForeground(QColor(0x12, 0x34, 0x56)); f.setFontWeight(QFont::Bold); break;
        case 1: f.setFontFamilies({QStringLiteral("Courier New")}); f.setFontPointSize(14); break;
        case 2: f.setFontItalic(true); f.setFontUnderline(true); f.setForeground(QColor(0, 0, 0)); break;
        default: f.setFontStrikeOut(true); f.setFontFamilies({QStringLiteral("楷体")}); break;
        }
        c.mergeCharFormat(f);
    }
    std::unique_ptr<QTextDocument> back(rtftest::NewDocument());
    QString error;
    QVERIFY2(ReadRtf(WriteRtf(*doc), *back, &error), qPrintable(error));
    QCOMPARE(back->toPlainText(), doc->toPlainText());
    QCOMPARE(back->blockCount(), doc->blockCount());
    QCOMPARE(rtftest::Runs(*back), rtftest::Runs(*doc));
    QVERIFY(!back->isUndoAvailable());
}

void TstRtfWriter::roundTripPicture()
{
    std::unique_ptr<QTextDocument> doc(rtftest::NewDocument());
    QTextCursor c(doc.get());
    c.insertText(QStringLiteral("前"));
    lumora::InsertPicture(c, TestImage(17, 9));
    QTextImageFormat scaled;
    scaled.setName(lumora::AddPictureResource(doc.get(), TestImage(4, 4)));
    scaled.setWidth(40);
    scaled.setHeight(20);
    c.insertImage(scaled);
    c.insertText(QStringLiteral("后"));
    std::unique_ptr<QTextDocument> back(rtftest::NewDocument());
    QString error;
    QVERIFY2(ReadRtf(WriteRtf(*doc), *back, &error), qPrintable(error));
    const QStringList runs = rtftest::Runs(*back);
    QCOMPARE(runs, rtftest::Runs(*doc));
    QCOMPARE(runs.size(), 4);   // text, the two pictures (not their fallbacks), text
}

QTEST_MAIN(TstRtfWriter)
#include "tst_rtf_writer.moc"
