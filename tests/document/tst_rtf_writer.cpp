#include "document/rtf_reader.h"
#include "tests/document/rtf_test_support.h"
#include "document/rtf_writer.h"
#include "document/text_store.h"

#include <QBuffer>
#include <QtTest>

using namespace lumora;

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

// A document of (text, format) pieces; text uses '\n' for paragraph breaks.
Document Doc(const QVector<QPair<QString, CharFormat>> &pieces)
{
    Document d;
    for (const auto &p : pieces) {
        const QString text = QString(p.first).replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        d.text += text;
        d.runs.Append(int(text.size()), d.formats.Id(p.second));
    }
    return d;
}

QByteArray BodyOf(const QString &text, const CharFormat &fmt = CharFormat())
{
    const QByteArray rtf = WriteRtf(Doc({{text, fmt}}));
    const qsizetype at = rtf.indexOf("\\pard\\plain");
    QByteArray body = rtf.mid(at + 11, rtf.lastIndexOf('}') - at - 11);
    while (body.endsWith('\n') || body.endsWith('\r'))
        body.chop(1);
    return body;
}

Document ReadBack(const Document &doc)
{
    Document back = Document::FromText(QStringLiteral("old"));
    QString error;
    if (!ReadRtf(WriteRtf(doc), &back, &error))
        qWarning("%s", qPrintable(error));
    return back;
}

QImage TestImage(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgba(x * 40 % 256, y * 70 % 256, (x + y) * 13 % 256, 255));
    return img;
}

// Appends a picture character showing picture index.
void AppendPicture(Document &d, int index, const CharFormat &look = CharFormat())
{
    CharFormat f = look;
    f.picture = index;
    d.text += QChar(QChar::ObjectReplacementCharacter);
    d.runs.Append(1, d.formats.Id(f));
}

Picture PictureOf(const QImage &img, double w = 0, double h = 0)
{
    Picture p;
    p.image = img;
    p.width = w > 0 ? w : img.width();
    p.height = h > 0 ? h : img.height();
    return p;
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
    void alignment();
    void pictureAsPngWithFallback();
    void pictureDataWrittenAsIs();
    void largePicturesWithoutFallback();
    void roundTrip_data();
    void roundTrip();
    void everyCharacterSurvives();
    void roundTripPicture();
    void storeWrittenInSlices_data();
    void storeWrittenInSlices();
};

void TstRtfWriter::emptyDocumentIsComplete()
{
    const QByteArray rtf = WriteRtf(Document());
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg936\\deff0"));
    QVERIFY(Balanced(rtf));
    Document back = Document::FromText(QStringLiteral("old"));
    QString error;
    QVERIFY2(ReadRtf(rtf, &back, &error), qPrintable(error));
    QCOMPARE(back.text, QString());
}

void TstRtfWriter::header()
{
    CharFormat courier;
    courier.family = QStringLiteral("Courier New");
    CharFormat hei;
    hei.family = QStringLiteral("黑体");
    const QByteArray rtf = WriteRtf(Doc({{QStringLiteral("a"), courier}, {QStringLiteral("b"), hei}}));
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
    QTest::newRow("controls by number") << QStringLiteral("a\u0001\u000B\u001Fb") << QByteArray("\\fs18 a\\u1?\\u11?\\u31?b");
    QTest::newRow("lone surrogate as U+FFFD") << QString(QChar(0xD83D)) + QLatin1Char('x') << QByteArray("\\fs18\\u-3?x");
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
    CharFormat twelve;
    twelve.halfPoints = 24;   // what \plain gives
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
    CharFormat red;
    red.color = 0x0000FF;
    CharFormat redBold = red;
    redBold.bold = true;
    CharFormat big;
    big.halfPoints = 21;
    big.italic = big.underline = big.strike = true;
    const QByteArray rtf = WriteRtf(Doc({{QStringLiteral("a"), red}, {QStringLiteral("b"), redBold},
                                         {QStringLiteral("c"), red}, {QStringLiteral("d"), big}}));
    QVERIFY(rtf.contains("{\\colortbl ;\\red255\\green0\\blue0;}"));
    QVERIFY2(rtf.contains("\\fs18\\cf1 a\\b b\\b0 c\\fs21\\cf0\\i\\ul\\strike d"), rtf.constData());
}

void TstRtfWriter::alignment()
{
    Document d = Doc({{QStringLiteral("a\nb\nc\nd"), CharFormat()}});
    d.aligns = {{0, Align::Center}, {2, Align::Right}, {3, Align::Justify}};
    const QByteArray rtf = WriteRtf(d);
    QVERIFY2(rtf.contains("\\qc\\fs18 a\\par\r\n\\ql b\\par\r\n\\qr c\\par\r\n\\qj d"), rtf.constData());
    QCOMPARE(ReadBack(d).aligns, d.aligns);
}

void TstRtfWriter::pictureAsPngWithFallback()
{
    Document d;
    d.pictures.append(PictureOf(TestImage(3, 2)));
    AppendPicture(d, 0);
    const QByteArray rtf = WriteRtf(d);
    QVERIFY(rtf.contains("{\\*\\shppict{\\pict\\pngblip\\picw3\\pich2\\picwgoal45\\pichgoal30\r\n89504e47"));
    QVERIFY(rtf.contains("{\\nonshppict{\\pict\\wmetafile8\\picw79\\pich53\\picwgoal45\\pichgoal30\r\n01000900"));
    QVERIFY(Balanced(rtf));
}

// Encoded data goes out byte for byte, JPEG as JPEG.
void TstRtfWriter::pictureDataWrittenAsIs()
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    TestImage(20, 10).save(&b, "JPEG");
    Picture p = PictureOf(TestImage(20, 10));
    p.data = b.data();
    p.kind = Picture::Jpeg;
    Document d;
    d.pictures.append(p);
    AppendPicture(d, 0);
    const QByteArray rtf = WriteRtf(d);
    QVERIFY(rtf.contains("{\\*\\shppict{\\pict\\jpegblip\\picw20\\pich10\\picwgoal300\\pichgoal150\r\n"));
    QVERIFY(QByteArray(rtf).remove(0, rtf.indexOf("\\pichgoal150")).replace("\r\n", "").contains(p.data.toHex()));
    const Document back = ReadBack(d);
    QCOMPARE(back.pictures.size(), 1);
    QCOMPARE(back.pictures[0].data, p.data);
    QCOMPARE(back.pictures[0].kind, Picture::Jpeg);
}

// A large picture repeated many times costs its encoded size per copy, not
// an uncompressed bitmap each.
void TstRtfWriter::largePicturesWithoutFallback()
{
    QImage big(1400, 1400, QImage::Format_RGB32);
    big.fill(qRgb(200, 10, 10));
    Document d;
    d.pictures.append(PictureOf(big));
    d.pictures.append(PictureOf(TestImage(16, 16)));
    for (int i = 0; i < 20; ++i) {
        AppendPicture(d, 0);
        AppendPicture(d, 1);
    }
    const QByteArray rtf = WriteRtf(d);
    QCOMPARE(rtf.count("\\pngblip"), 40);
    QCOMPARE(rtf.count("\\wmetafile8"), 20);   // the small one keeps its copy
    QVERIFY2(rtf.size() < 2 * 1024 * 1024, QByteArray::number(rtf.size()).constData());
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

// The text with its paragraphs and every format survives Save then Open.
void TstRtfWriter::roundTrip()
{
    QFETCH(QString, text);
    Document doc = Doc({{text, CharFormat()}});
    // Every format the editor sets, over stretches of the text; the breaks
    // take formats of their own too.
    const struct { int from, to; } spans[] = {{0, 2}, {1, 4}, {3, 9}, {5, 6}};
    const auto fill = [&doc](int from, int to, int format) {   // clipped to the text
        to = std::min(to, doc.runs.Length());
        if (from < to)
            doc.runs.Replace(from, to - from, RunList(to - from, format));
    };
    for (int which = 0; which < 4; ++which) {
        CharFormat f;
        switch (which) {
        case 0: f.color = 0x563412; f.bold = true; break;
        case 1: f.family = QStringLiteral("Courier New"); f.halfPoints = 28; break;
        case 2: f.italic = f.underline = true; f.color = 0; break;
        default: f.strike = true; f.family = QStringLiteral("楷体"); break;
        }
        fill(spans[which].from, spans[which].to, doc.formats.Id(f));
    }
    // Both characters of a break share its format.
    for (int i = 0; i + 1 < doc.text.size(); ++i)
        if (doc.text[i] == QLatin1Char('\r'))
            fill(i + 1, i + 2, doc.runs.FormatAt(i));
    const Document back = ReadBack(doc);
    QCOMPARE(rtftest::Contents(back), rtftest::Contents(doc));
}

// Every character a document can hold comes back from our own file: C0
// controls, the characters Qt uses as frame marks, U+2029, a U+FFFC that is
// no picture.  A lone surrogate is no character and comes back as U+FFFD.
void TstRtfWriter::everyCharacterSurvives()
{
    QString all;
    for (char16_t c = 0; c < 0x20; ++c)
        if (c != u'\r' && c != u'\n')
            all += QChar(c);
    all += QStringLiteral("\uFDD0\uFDD1\u2029\uFFFC\uFFFD\uFEFF\u00A0\u2028\uFFFF") + QString::fromUtf8("\xF0\x9F\x98\x80");
    for (char16_t c = 0x80; c < 0x800; ++c)
        all += QChar(c);
    const Document doc = Doc({{all, CharFormat()}, {QStringLiteral("\n"), CharFormat()}});
    QCOMPARE(ReadBack(doc).text, doc.text);

    const Document lone = Doc({{QStringLiteral("a") + QChar(0xDC00) + QChar(0xD800), CharFormat()}});
    QCOMPARE(ReadBack(lone).text, QStringLiteral("a\uFFFD\uFFFD"));
}

void TstRtfWriter::roundTripPicture()
{
    Document doc = Doc({{QStringLiteral("前"), CharFormat()}});
    doc.pictures.append(PictureOf(TestImage(17, 9)));
    doc.pictures.append(PictureOf(TestImage(4, 4), 40, 20));
    CharFormat red;
    red.color = 0xFF;
    AppendPicture(doc, 0);
    AppendPicture(doc, 1, red);
    doc.text += QStringLiteral("后");
    doc.runs.Append(1, 0);
    const Document back = ReadBack(doc);
    QCOMPARE(rtftest::Contents(back), rtftest::Contents(doc));
    QCOMPARE(rtftest::Runs(back).size(), 4);   // text, the two pictures (not their fallbacks), text
}

void TstRtfWriter::storeWrittenInSlices_data()
{
    // What lies where the first slice of 65536 characters would end.
    QTest::addColumn<QString>("across");
    QTest::newRow("a CR LF") << QStringLiteral("\r\n");
    QTest::newRow("a surrogate pair") << QStringLiteral("\U0001F600");
    QTest::newRow("two high surrogates and a low one") << (QString(QChar(0xD83D)) + QStringLiteral("\U0001F600"));
}

// The editing area writes from its store slice by slice: the same bytes as
// writing the whole document at once.
void TstRtfWriter::storeWrittenInSlices()
{
    QFETCH(QString, across);
    CharFormat red;
    red.color = 0xFF;
    Document d = Doc({{QString(65535, u'a'), CharFormat()}, {across + QStringLiteral("b\r\nc"), red}});
    AppendPicture(d, 0);
    d.pictures = {PictureOf(TestImage(2, 2))};
    d.aligns = {{1, Align::Center}};
    TextStore store;
    store.Load(d);
    QCOMPARE(WriteRtf(store, d.pictures, d.aligns), WriteRtf(d));
}

QTEST_GUILESS_MAIN(TstRtfWriter)
#include "tst_rtf_writer.moc"
