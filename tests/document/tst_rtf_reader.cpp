#include "document/rtf_reader.h"
#include "tests/document/rtf_test_support.h"

#include <QtTest>

using lumora::Document;
using lumora::IsRtf;
using lumora::ReadRtf;

namespace {

// CR and LF only ever come as the pair that is a paragraph break.
bool BreaksWhole(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        else if (text[i] == QLatin1Char('\r') || text[i] == QLatin1Char('\n'))
            return false;
    }
    return true;
}

QString Read(const QByteArray &rtf, bool *ok = nullptr)
{
    Document doc;
    QString error;
    const bool r = ReadRtf(rtf, &doc, &error);
    if (ok)
        *ok = r;
    if (!BreaksWhole(doc.text))
        return QStringLiteral("LONE CR OR LF");
    return r ? rtftest::PlainText(doc) : QStringLiteral("ERROR ") + error;
}

} // namespace

class TstRtfReader : public QObject
{
    Q_OBJECT
private slots:
    void isRtf_data();
    void isRtf();
    void samples_data();
    void samples();
    void characterFormats();
    void fontTableWithoutBraces();
    void alignment();
    void refused_data();
    void refused();
    void loadingReplaces();
    void fontNamesCapped();
    void manyParagraphsOneRun();
    void malformed_data();
    void malformed();
    void randomBytesAfterHeader();
};

void TstRtfReader::isRtf_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("rtf");
    QTest::newRow("plain") << QByteArray("{\\rtf1 x}") << true;
    QTest::newRow("bom and space") << QByteArray("\xEF\xBB\xBF \r\n{\\rtf1}") << true;
    QTest::newRow("text") << QByteArray("mov eax, 1") << false;
    QTest::newRow("brace only") << QByteArray("{\\rt") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("gbk text starting with brace") << QByteArray("{\xc4\xe3}") << false;
}

void TstRtfReader::isRtf()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, rtf);
    QCOMPARE(IsRtf(data), rtf);
}

void TstRtfReader::samples_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    // Code pages
    QTest::newRow("word-like gbk") << QByteArray("{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
                                                 "\\pard\\f0\\fs18 \\'c4\\'e3\\'ba\\'c3 OD\\par\r\n}")
                                   << QStringLiteral("你好 OD\n");
    QTest::newRow("gbk pair split by a line break") << QByteArray("{\\rtf1\\ansicpg936 \\'c4\r\n\\'e3}") << QStringLiteral("你");
    QTest::newRow("no code page at all means gbk") << QByteArray("{\\rtf1 \\'c4\\'e3}") << QStringLiteral("你");
    QTest::newRow("raw gbk bytes") << QByteArray("{\\rtf1\\ansicpg936 \xc4\xe3}") << QStringLiteral("你");
    QTest::newRow("leftover lead byte") << QByteArray("{\\rtf1\\ansicpg936 \\'c4}") << QStringLiteral("\uFFFD");
    QTest::newRow("big5 font") << QByteArray("{\\rtf1\\ansicpg1252{\\fonttbl{\\f1\\fcharset136 MingLiU;}}\\f1\\'a4\\'a4}") << QStringLiteral("中");
    QTest::newRow("shift-jis font") << QByteArray("{\\rtf1{\\fonttbl{\\f1\\fcharset128 MS Mincho;}}\\f1\\'93\\'fa\\'96\\'7b}") << QStringLiteral("日本");
    QTest::newRow("korean font") << QByteArray("{\\rtf1{\\fonttbl{\\f1\\fcharset129 Batang;}}\\f1\\'c7\\'d1}") << QStringLiteral("한");
    QTest::newRow("greek and cyrillic fonts") << QByteArray("{\\rtf1{\\fonttbl{\\f1\\fcharset161 A;}{\\f2\\fcharset204 B;}}\\f1\\'e1\\f2\\'e0}") << QStringLiteral("αа");
    QTest::newRow("ansi charset in gbk document") << QByteArray("{\\rtf1\\ansicpg936{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f0 caf\\'e9}") << QStringLiteral("café");
    QTest::newRow("font cpg") << QByteArray("{\\rtf1{\\fonttbl{\\f0\\cpg1253 X;}}\\f0\\'e1}") << QStringLiteral("α");
    QTest::newRow("document code page") << QByteArray("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}}\\f0\\'c0}") << QStringLiteral("А");
    QTest::newRow("default font's charset") << QByteArray("{\\rtf1\\deff1{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset134 B;}}\\'c4\\'e3\\f9\\'c4\\'e3}") << QStringLiteral("你你");
    QTest::newRow("mac code page") << QByteArray("{\\rtf1\\mac \\'8a}") << QStringLiteral("ä");
    // Unicode
    QTest::newRow("u with uc1 fallback") << QByteArray("{\\rtf1\\uc1 \\u20320?\\u22909\\'3f!}") << QStringLiteral("你好!");
    QTest::newRow("uc0") << QByteArray("{\\rtf1\\uc0\\u8804 x}") << QStringLiteral("≤x");
    QTest::newRow("uc2 with gbk fallback") << QByteArray("{\\rtf1\\uc2\\u20320\\'c4\\'e3z}") << QStringLiteral("你z");
    QTest::newRow("negative and surrogates") << QByteArray("{\\rtf1\\u-10179?\\u-8704?\\u-159?}") << QString::fromUtf8("\xF0\x9F\x98\x80\xEF\xBD\xA1");
    QTest::newRow("lone surrogate") << QByteArray("{\\rtf1\\u-10179?x}") << QStringLiteral("\uFFFDx");
    QTest::newRow("brace ends the fallback") << QByteArray("{\\rtf1\\uc3{\\u20320}abc}") << QStringLiteral("你abc");
    QTest::newRow("uc is per group") << QByteArray("{\\rtf1{\\uc2}\\u20320ab}") << QStringLiteral("你b");
    QTest::newRow("fallback tab counts one") << QByteArray("{\\rtf1\\u8804\t\tX}") << QStringLiteral("≤\tX");
    QTest::newRow("controls by number kept, raw and hex dropped") << QByteArray("{\\rtf1 a\\u1?b\\u31?\\u0?\x01\\'02c}") << QStringLiteral("a\u0001b\u001F").append(QChar(0)).append(u'c');
    QTest::newRow("cr and lf by number dropped") << QByteArray("{\\rtf1 a\\u13?\\u10?b}") << QStringLiteral("ab");
    QTest::newRow("frame marks by number kept") << QByteArray("{\\rtf1\\u-560?\\u-559?\\u8233?}") << QStringLiteral("\uFDD0\uFDD1\u2029");
    QTest::newRow("out of range u shows fallback") << QByteArray("{\\rtf1\\u70000 ?}") << QStringLiteral("?");
    // Characters and breaks
    QTest::newRow("escapes") << QByteArray("{\\rtf1 \\{a\\}\\\\b}") << QStringLiteral("{a}\\b");
    QTest::newRow("symbols") << QByteArray("{\\rtf1 a\\~b\\-c\\_d\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet}")
                             << QStringLiteral("a\u00A0b\u00ADc\u2011d—–‘’“”•");
    QTest::newRow("par line tab") << QByteArray("{\\rtf1 a\\par b\\line c\\tab d}") << QStringLiteral("a\nb\u2028c\td");
    QTest::newRow("backslash newline is par") << QByteArray("{\\rtf1 A\\\nB\\\r\nC}") << QStringLiteral("A\nB\nC");
    QTest::newRow("line breaks in source ignored") << QByteArray("{\\rtf1 mo\r\nv\neax}") << QStringLiteral("moveax");
    QTest::newRow("delimiter space eaten, others kept") << QByteArray("{\\rtf1\\b  x\\b0  y}") << QStringLiteral(" x y");
    QTest::newRow("table cells and rows") << QByteArray("{\\rtf1\\trowd\\cellx100\\cellx200 \\intbl a\\cell b\\cell\\row \\intbl c\\cell d\\cell\\row}")
                                          << QStringLiteral("a\tb\nc\td\n");
    // The row's end comes after the document's last brace and goes; the tab
    // before it stays (cutting there once left half a line break).
    QTest::newRow("row end after the last brace") << QByteArray("{\\rtf1 a\\tab}\\row") << QStringLiteral("a\t");
    QTest::newRow("hidden text") << QByteArray("{\\rtf1 a{\\v secret}b}") << QStringLiteral("ab");
    // Destinations
    QTest::newRow("field result") << QByteArray("{\\rtf1 see {\\field{\\*\\fldinst{HYPERLINK \"http://x\"}}{\\fldrslt{\\ul here}}}.}") << QStringLiteral("see here.");
    QTest::newRow("unstarred fldinst") << QByteArray("{\\rtf1 {\\field{\\fldinst PAGE}{\\fldrslt 3}}}") << QStringLiteral("3");
    QTest::newRow("object result") << QByteArray("{\\rtf1 {\\object\\objemb{\\*\\objclass Paint}{\\*\\objdata 0102ff}{\\result shown}}}") << QStringLiteral("shown");
    QTest::newRow("unstarred objdata") << QByteArray("{\\rtf1 {\\object{\\objdata 0102}{\\result R}}}") << QStringLiteral("R");
    QTest::newRow("nested unknown destination") << QByteArray("{\\rtf1 {\\*\\unknown a{b{c}d}e}visible}") << QStringLiteral("visible");
    QTest::newRow("info stylesheet header footer") << QByteArray("{\\rtf1{\\info{\\title T}{\\author A}}{\\stylesheet{\\s0 Normal;}}{\\header H}{\\footer F}body}") << QStringLiteral("body");
    QTest::newRow("skipper steps over bin") << QByteArray("{\\rtf1 {\\*\\foo \\bin3 }}}}after}") << QStringLiteral("after");
    QTest::newRow("skipper steps over escaped braces") << QByteArray("{\\rtf1 {\\*\\foo \\{\\}}x}") << QStringLiteral("x");
    QTest::newRow("bin in body") << QByteArray("{\\rtf1 a\\bin2 {}b}") << QStringLiteral("ab");
    QTest::newRow("list text shown") << QByteArray("{\\rtf1{\\listtext 1.\\tab}item}") << QStringLiteral("1.\titem");
    QTest::newRow("destination after text in a group") << QByteArray("{\\rtf1{ \\fonttbl{\\f0 Arial;}}x}") << QStringLiteral(" x");
    // Damage, best effort
    QTest::newRow("text after last brace") << QByteArray("{\\rtf1 a}\r\n garbage") << QStringLiteral("a");
    QTest::newRow("extra closing brace") << QByteArray("{\\rtf1 a}}") << QStringLiteral("a");
    QTest::newRow("extra brace inside") << QByteArray("{\\rtf1 a} b}") << QStringLiteral("a b");
    QTest::newRow("missing closing braces") << QByteArray("{\\rtf1 {\\b bold {\\i more") << QStringLiteral("bold more");
    QTest::newRow("trailing nul") << QByteArray("{\\rtf1 a}\0", 10) << QStringLiteral("a");
    QTest::newRow("nul inside") << QByteArray("{\\rtf1 a\0b}", 11) << QStringLiteral("ab");
    QTest::newRow("truncated hex") << QByteArray("{\\rtf1\\ansicpg1252 a\\'4") << QStringLiteral("a\u0004").remove(QChar(4));
    QTest::newRow("hex without digits") << QByteArray("{\\rtf1 a\\'zz}") << QStringLiteral("azz");
    QTest::newRow("huge bin ignored") << QByteArray("{\\rtf1 a\\bin99999999999 b}") << QStringLiteral("ab");
    QTest::newRow("negative bin ignored") << QByteArray("{\\rtf1 a\\bin-5 b}") << QStringLiteral("ab");
    QTest::newRow("long control word") << QByteArray("{\\rtf1 a\\") + QByteArray(1000, 'x') + " b}" << QStringLiteral("ab");
    QTest::newRow("long parameter") << QByteArray("{\\rtf1\\fs") + QByteArray(100, '9') + " a\\cf-" + QByteArray(50, '9') + " b}" << QStringLiteral("ab");
}

void TstRtfReader::samples()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(Read(rtf), text);
}

void TstRtfReader::characterFormats()
{
    const QByteArray rtf = "{\\rtf1\\ansicpg936{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}{\\f1\\fcharset0 Courier New;}}"
                           "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue255;}"
                           "\\f1\\fs28\\cf2\\b\\i\\ul\\strike X\\plain\\f0\\fs18 Y\\cf9 Z{\\cf1\\ulnone\\uldb W}V}";
    Document doc;
    QVERIFY(ReadRtf(rtf, &doc, nullptr));
    const QStringList expected = {
        QStringLiteral("X{Courier New/14/ff8000/bius}"),
        // \f0 is the editor's own default: no font properties at all
        QStringLiteral("YZ{宋体/9/auto/----}"),   // a colour index past the table is auto
        QStringLiteral("W{宋体/9/ff/--u-}"),
        QStringLiteral("V{宋体/9/auto/----}"),
    };
    QCOMPARE(rtftest::Runs(doc), expected);
    // The default face and size are stored as "none of its own".
    QCOMPARE(doc.formats.At(doc.runs.FormatAt(1)), lumora::CharFormat());
}

void TstRtfReader::fontTableWithoutBraces()
{
    const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;\\f1\\fnil\\fcharset134 STSong;"
                           "\\f2\\froman\\fcharset0 Times{\\*\\falt Times New Roman};}"
                           "\\f1 \\'d6\\'d0\\f2 t\\f0 h}";
    Document doc;
    QVERIFY(ReadRtf(rtf, &doc, nullptr));
    QCOMPARE(rtftest::Runs(doc), (QStringList{QStringLiteral("中{STSong/12/auto/----}"),
                                               QStringLiteral("t{Times/12/auto/----}"),
                                               QStringLiteral("h{Helvetica/12/auto/----}")}));
}

void TstRtfReader::alignment()
{
    Document doc;
    QVERIFY(ReadRtf("{\\rtf1\\qc a\\par\\pard b\\par\\qr c}", &doc, nullptr));
    using A = lumora::Align;
    QCOMPARE(doc.aligns, (QVector<QPair<int, A>>{{0, A::Center}, {2, A::Right}}));
}

void TstRtfReader::refused_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("not rtf") << QByteArray("hello");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("header only") << QByteArray("{\\rtf1");
    QTest::newRow("truncated in the font table") << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Ari");
    QTest::newRow("other control word") << QByteArray("{\\rtfx hello}");
    QTest::newRow("header then skipped only") << QByteArray("{\\rtf1{\\*\\generator x;}{\\info");
}

// Nothing readable: refused with a reason, and the document is untouched.
void TstRtfReader::refused()
{
    QFETCH(QByteArray, data);
    Document doc = Document::FromText(QStringLiteral("keep me"));
    QString error;
    QVERIFY(!ReadRtf(data, &doc, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(doc.text, QStringLiteral("keep me"));
    QVERIFY(!ReadRtf(data, &doc, nullptr));   // a null error pointer is allowed
}

void TstRtfReader::loadingReplaces()
{
    Document doc = Document::FromText(QStringLiteral("typed"));
    QVERIFY(ReadRtf("{\\rtf1 loaded}", &doc, nullptr));
    QCOMPARE(doc.text, QStringLiteral("loaded"));
    QCOMPARE(doc.runs.Length(), 6);
    // An empty but complete document is a document.
    QVERIFY(ReadRtf("{\\rtf1}", &doc, nullptr));
    QCOMPARE(doc.text, QString());
    QVERIFY(doc.runs.IsEmpty());
}

// However a font name is spelled, it is cut at a bounded number of
// characters (a name of a million \uN once took minutes).
void TstRtfReader::fontNamesCapped()
{
    for (const QByteArray &unit : {QByteArray("\\u20320?"), QByteArray("\\'c4\\'e3"), QByteArray("x")}) {
        const QByteArray rtf = "{\\rtf1{\\fonttbl{\\f1\\fcharset134 " + unit.repeated(100000) + ";}}\\f1 a}";
        Document doc;
        QVERIFY(ReadRtf(rtf, &doc, nullptr));
        const QString family = doc.formats.At(doc.runs.FormatAt(0)).family;
        QVERIFY2(family.size() >= 200 && family.size() <= 256, unit.constData());
        QCOMPARE(family.at(0), unit == "x" ? QChar(u'x') : QChar(u'你'));
    }
}

// A paragraph costs its two characters and nothing else.
void TstRtfReader::manyParagraphsOneRun()
{
    Document doc;
    QVERIFY(ReadRtf("{\\rtf1 " + QByteArray("\\par").repeated(1000000) + "}", &doc, nullptr));
    QCOMPARE(doc.text.size(), 2000000);
    QCOMPARE(doc.runs.Runs().size(), size_t(1));
    QVERIFY(doc.aligns.isEmpty());
}

void TstRtfReader::malformed_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::newRow("unbalanced") << QByteArray("{\\rtf1 a}}}}}} b {{{ c");
    QTest::newRow("deep nesting") << QByteArray("{\\rtf1 ") + QByteArray(100000, '{') + "x" + QByteArray(100000, '}') + "}";
    QTest::newRow("deep, never closed") << QByteArray("{\\rtf1 a") + QByteArray(100000, '{');
    QTest::newRow("deep destinations") << QByteArray("{\\rtf1 a") + QByteArray("{\\*\\x").repeated(50000) + "}";
    QTest::newRow("huge bin in picture") << QByteArray("{\\rtf1{\\pict\\pngblip\\bin2147483647 ab}}");
    QTest::newRow("truncated picture") << QByteArray("{\\rtf1{\\pict\\pngblip 89504e47");
    QTest::newRow("odd hex") << QByteArray("{\\rtf1{\\pict\\dibitmap0 123}}");
    QTest::newRow("truncated hex") << QByteArray("{\\rtf1 \\'");
    QTest::newRow("backslash at end") << QByteArray("{\\rtf1 a\\");
    QTest::newRow("nuls") << QByteArray("{\\rtf1 \0\0\0\\\0}", 13);
    QTest::newRow("many fonts") << "{\\rtf1{\\fonttbl" + QByteArray("{\\f1 A;}").repeated(1) + [] {
        QByteArray b;
        for (int i = 0; i < 20000; ++i)
            b += "{\\f" + QByteArray::number(i) + "\\fcharset134 F" + QByteArray::number(i) + ";}";
        return b;
    }() + "}\\f19999 x}";
    QTest::newRow("many colours") << "{\\rtf1{\\colortbl" + QByteArray("\\red1;").repeated(20000) + "}\\cf19999 x}";
    QTest::newRow("lone star") << QByteArray("{\\rtf1 \\* x}");
    QTest::newRow("uc huge") << QByteArray("{\\rtf1\\uc2147483647\\u65 abc}");
    QTest::newRow("lone quote runs") << QByteArray("{\\rtf1 ") + QByteArray("\\'").repeated(100000) + "}";
}

// Damaged input gives an error or a best-effort document, never a crash or
// a hang (the test's own time limit would catch one).
void TstRtfReader::malformed()
{
    QFETCH(QByteArray, rtf);
    Document doc;
    QString error;
    const bool ok = ReadRtf(rtf, &doc, &error);
    QVERIFY(ok || !error.isEmpty());
    QVERIFY(doc.text.size() <= rtf.size());
    QCOMPARE(doc.runs.Length(), doc.text.size());
    QVERIFY(BreaksWhole(doc.text));
}

void TstRtfReader::randomBytesAfterHeader()
{
    QRandomGenerator rng(20240601);
    for (int round = 0; round < 300; ++round) {
        QByteArray rtf("{\\rtf1 ");
        const int n = rng.bounded(2000);
        // Mostly syntax characters, so that groups, words and hex are hit.
        static const char alphabet[] = "{}\\\\\\'abinpictuf0123456789 -*;\r\n";
        for (int i = 0; i < n; ++i)
            rtf += rng.bounded(3) ? alphabet[rng.bounded(int(sizeof alphabet) - 1)] : char(rng.bounded(256));
        Document doc;
        QString error;
        const bool ok = ReadRtf(rtf, &doc, &error);
        QVERIFY(ok || !error.isEmpty());
        QCOMPARE(doc.runs.Length(), doc.text.size());
        QVERIFY(BreaksWhole(doc.text));
    }
}

QTEST_GUILESS_MAIN(TstRtfReader)
#include "tst_rtf_reader.moc"
