#include "document/bbcode_writer.h"
#include "document/html_writer.h"

#include <QBuffer>
#include <QImage>
#include <QtTest>

using namespace lumora;

namespace {

enum Look { kPlain, kRed, kRedBold, kAllStyles, kRedLarger, kBlue, kBlack };

CharFormat FormatOf(int look)
{
    CharFormat f;
    if (look == kBlue)
        f.color = 0xFF0000;
    else if (look == kRed || look == kRedBold || look == kRedLarger)
        f.color = 0x0000FF;
    else if (look == kBlack)
        f.color = 0;
    f.bold = look == kRedBold || look == kAllStyles;
    f.italic = f.underline = f.strike = look == kAllStyles;
    f.halfPoints = look == kRedLarger ? 20 : 0;
    return f;
}

Document Doc(const QString &first, int firstLook, const QString &second = QString(), int secondLook = kPlain)
{
    Document d;
    d.text = first + second;
    d.runs.Append(int(first.size()), d.formats.Id(FormatOf(firstLook)));
    if (!second.isEmpty())
        d.runs.Append(int(second.size()), d.formats.Id(FormatOf(secondLook)));
    return d;
}

// What the page holds inside its <pre>, each class written out as the style
// its rule gives, as the clipboard's spans carry it.
QByteArray PreOf(const QByteArray &page)
{
    const qsizetype from = page.indexOf("<pre>") + 5;
    QByteArray pre = page.mid(from, page.lastIndexOf("</pre>") - from);
    static const QRegularExpression rule(QStringLiteral("\n\\.([a-z]+)\\{([^}]*)\\}"));
    for (auto it = rule.globalMatch(QString::fromUtf8(page.left(from))); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        pre.replace("<span class=" + m.captured(1).toUtf8() + '>', "<span style=\"" + m.captured(2).toUtf8() + "\">");
    }
    return pre;
}

// A document of one picture between two letters.
Document PictureDoc(const Picture &p)
{
    Document d = Doc(QStringLiteral("a"), kPlain);
    CharFormat f;
    f.picture = 0;
    d.text += QChar(QChar::ObjectReplacementCharacter);
    d.runs.Append(1, d.formats.Id(f));
    d.text += u'b';
    d.runs.Append(1, 0);
    d.pictures << p;
    return d;
}

} // namespace

class TstPageWriters : public QObject
{
    Q_OBJECT
private slots:
    void sameDocumentBothWays_data();
    void sameDocumentBothWays();
    void pageIsSelfContained();
    void pageStatesEachLookOnce();
    void picturesInlineInThePageOnly();
    void clipboardStretch();
};

// Each row: a document of one or two runs, what the page's <pre> holds and
// what the forum code is.
void TstPageWriters::sameDocumentBothWays_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<int>("firstLook");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("secondLook");
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QByteArray>("bbcode");
    const QByteArray red = "<span style=\"color:#ff0000;\">";
    QTest::newRow("markup characters") << "a<b>&c" << int(kPlain) << "" << 0 << QByteArray("a&lt;b&gt;&amp;c")
                                       << QByteArray("a<b>&c");
    QTest::newRow("one colour") << "EAX" << int(kRed) << "," << int(kPlain) << red + "EAX</span>,"
                                << QByteArray("[color=#FF0000]EAX[/color],");
    QTest::newRow("every style")
        << "x" << int(kAllStyles) << "" << 0
        << QByteArray("<span style=\"font-weight:bold;font-style:italic;text-decoration:underline line-through;\">x</span>")
        << QByteArray("[b][i][u][s]x[/s][/u][/i][/b]");
    QTest::newRow("a style ends inside one colour")
        << "MOV" << int(kRedBold) << "EAX" << int(kRed)
        << "<span style=\"color:#ff0000;font-weight:bold;\">MOV</span>" + red + "EAX</span>"
        << QByteArray("[color=#FF0000][b]MOV[/b]EAX[/color]");
    QTest::newRow("colour to colour") << "JE" << int(kBlue) << "EAX" << int(kRed)
                                      << "<span style=\"color:#0000ff;\">JE</span>" + red + "EAX</span>"
                                      << QByteArray("[color=#0000FF]JE[/color][color=#FF0000]EAX[/color]");
    QTest::newRow("alike in forum code") << "a" << int(kRed) << "b" << int(kRedLarger)
                                         << red + "a</span><span style=\"color:#ff0000;font-size:10pt;\">b</span>"
                                         << QByteArray("[color=#FF0000]ab[/color]");
    QTest::newRow("text that reads as a tag")
        << "[b]x[/color] [url=y] [EAX] [*] [EBP+8] [1] [<&K.F>] a[" << int(kPlain) << "" << 0
        << QByteArray("[b]x[/color] [url=y] [EAX] [*] [EBP+8] [1] [&lt;&amp;K.F&gt;] a[")
        << QByteArray("[[b][/b]b]x[[b][/b]/color] [[b][/b]url=y] [[b][/b]EAX] [[b][/b]*] [EBP+8] [1] [<&K.F>] a[");
    QTest::newRow("tag split between runs") << "[" << int(kRed) << "b]" << int(kPlain) << red + "[</span>b]"
                                            << QByteArray("[color=#FF0000][[b][/b][/color]b]");
    QTest::newRow("tag around a lost picture") << QString("[") + QChar(QChar::ObjectReplacementCharacter) + "b]"
                                               << int(kPlain) << "" << 0 << QByteArray("[b]")
                                               << QByteArray("[[b][/b]b]");
    QTest::newRow("pair split between runs") << QString(QChar(0xD83D)) << int(kRed) << QString(QChar(0xDE00)) + "x"
                                             << int(kPlain) << red + "\xF0\x9F\x98\x80</span>x"
                                             << QByteArray("[color=#FF0000]\xF0\x9F\x98\x80[/color]x");
    QTest::newRow("breaker is not an open style") << "[i]" << int(kRedBold) << "" << 0
                                                  << QByteArray("<span style=\"color:#ff0000;font-weight:bold;\">[i]</span>")
                                                  << QByteArray("[color=#FF0000][b][[i][/i]i][/b][/color]");
    QTest::newRow("line breaks") << QString("a\r\nb") + QChar(QChar::LineSeparator) + "c" << int(kPlain) << "" << 0
                                 << QByteArray("a\nb\nc") << QByteArray("a\r\nb\r\nc");
    QTest::newRow("first line empty") << "\r\nx" << int(kPlain) << "" << 0 << QByteArray("\n\nx")
                                      << QByteArray("\r\nx");
    QTest::newRow("first line empty, coloured") << "\r\nx" << int(kRed) << "" << 0 << "\n" + red + "\nx</span>"
                                                << QByteArray("[color=#FF0000]\r\nx[/color]");
    // On the page blanks show no colour: they stay in the span before them
    // unless they show their own look; black is the page's own colour.
    QTest::newRow("blanks join the colour before") << "EAX" << int(kRed) << " \t\r\n" << int(kPlain)
                                                   << red + "EAX \t\n</span>" << QByteArray("[color=#FF0000]EAX[/color] \t\r\n");
    QTest::newRow("underlined blanks keep their look")
        << "EAX" << int(kRed) << " " << int(kAllStyles)
        << red + "EAX</span><span style=\"font-weight:bold;font-style:italic;text-decoration:underline line-through;\"> </span>"
        << QByteArray("[color=#FF0000]EAX[/color][b][i][u][s] [/s][/u][/i][/b]");
    QTest::newRow("black is the page's colour") << "MOV" << int(kBlack) << "EAX" << int(kPlain) << QByteArray("MOVEAX")
                                                << QByteArray("[color=#000000]MOV[/color]EAX");
    QTest::newRow("chinese and beyond the BMP") << QString::fromUtf8("注释\xF0\x9F\x98\x80") << int(kPlain) << "" << 0
                                                << QByteArray("注释\xF0\x9F\x98\x80") << QByteArray("注释\xF0\x9F\x98\x80");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + "x" << int(kPlain) << "" << 0
                                    << QByteArray("\xEF\xBF\xBDx") << QByteArray("\xEF\xBF\xBDx");
}

void TstPageWriters::sameDocumentBothWays()
{
    QFETCH(QString, first);
    QFETCH(int, firstLook);
    QFETCH(QString, second);
    QFETCH(int, secondLook);
    QFETCH(QByteArray, html);
    QFETCH(QByteArray, bbcode);
    const Document doc = Doc(first, firstLook, second, secondLook);
    QCOMPARE(PreOf(WriteHtmlPage(doc, QString())), html);
    QCOMPARE(WriteBbcode(doc), bbcode);
}

void TstPageWriters::pageIsSelfContained()
{
    Document doc = Doc(QStringLiteral("MOV"), kRed);
    CharFormat face = FormatOf(kPlain);
    face.family = QStringLiteral("Courier New");
    doc.text += QStringLiteral(" ; 注释");
    doc.runs.Append(5, doc.formats.Id(face));
    const QByteArray page = WriteHtmlPage(doc, QStringLiteral("a<b>.txt"));
    QVERIFY(page.startsWith("<!DOCTYPE html>\n<html lang=\"zh-CN\">"));
    QVERIFY(page.contains("<meta charset=\"utf-8\">"));
    QVERIFY(page.contains("<title>a&lt;b&gt;.txt</title>"));
    QVERIFY(page.endsWith("</pre>\n</body>\n</html>\n"));
    QVERIFY(!page.contains("http") && !page.contains("<link") && !page.contains("<script"));
    // The <pre> face: monospace, with a Chinese face to fall back on; a run
    // that names its own face falls back on the same.
    const QRegularExpression pre(QStringLiteral("pre\\{[^}]*font-family:([^};]*)"));
    const QString faces = pre.match(QString::fromUtf8(page)).captured(1);
    QVERIFY2(faces.endsWith(QLatin1String(",monospace")) && faces.contains(QStringLiteral("'宋体'")), qPrintable(faces));
    QVERIFY(QString::fromUtf8(page).contains(QStringLiteral("font-family:'Courier New',") + faces + u';'));
}

// A coloured listing in one face and size, as others' RTF names them on
// every run: the face and size go to the <pre> once, each look is one rule,
// and a span names only its rule.
void TstPageWriters::pageStatesEachLookOnce()
{
    Document doc;
    for (int line = 0; line < 1000; ++line) {
        for (const int look : {kRed, kBlack, kPlain, kBlue}) {
            CharFormat f = FormatOf(look);
            f.family = QStringLiteral("Courier New");
            f.halfPoints = 20;
            const QString text = look == kPlain  ? QStringLiteral("  ")
                               : look == kBlack ? QStringLiteral(" DWORD PTR [EBP+8] ")
                                                : QStringLiteral("EAX");
            doc.text += text;
            doc.runs.Append(int(text.size()), doc.formats.Id(f));
        }
        doc.text += QStringLiteral("\r\n");
        doc.runs.Append(2, doc.formats.Id(CharFormat{QStringLiteral("Courier New"), 20}));
    }
    const QByteArray page = WriteHtmlPage(doc, QString());
    QCOMPARE(page.count("Courier New"), 2);   // the run's face, then the page's own as fallback
    QVERIFY(page.contains("pre{margin:0;font-family:'Courier New',"));
    QVERIFY(page.contains(";font-size:10pt;}"));
    QCOMPARE(page.count("{color:"), 2);
    QCOMPARE(page.count("<span class="), 2000);
    QVERIFY2(page.size() <= 3 * doc.text.toUtf8().size(), QByteArray::number(page.size()).constData());
}

void TstPageWriters::picturesInlineInThePageOnly()
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    Picture encodeMe{image, QByteArray(), Picture::Png, 3, 2};
    const QByteArray encoded = WriteHtmlPage(PictureDoc(encodeMe), QString());
    const QRegularExpression img(QStringLiteral("^a<img width=\"3\" height=\"2\" src=\"data:image/png;base64,([^\"]+)\">b$"));
    const QRegularExpressionMatch m = img.match(QString::fromUtf8(PreOf(encoded)));
    QVERIFY2(m.hasMatch(), PreOf(encoded).left(200).constData());
    QCOMPARE(QImage::fromData(QByteArray::fromBase64(m.captured(1).toLatin1()), "PNG").pixel(2, 1), QColor(Qt::red).rgb());

    // Data read from a file goes out as it came, JPEG as JPEG.
    Picture kept{image, QByteArray("\xFF\xD8 as read"), Picture::Jpeg, 30, 20};
    QVERIFY(WriteHtmlPage(PictureDoc(kept), QString()).contains("src=\"data:image/jpeg;base64," + kept.data.toBase64() + "\""));
    QCOMPARE(WriteBbcode(PictureDoc(kept)), QByteArray("ab"));

    // Kinds no browser shows go as the picture decoded, in PNG; a drawing
    // not decoded is a box of its size, as in the editor.
    Picture dib{image, QByteArray("DIB bytes"), Picture::Dib, 3, 2};
    QVERIFY(WriteHtmlPage(PictureDoc(dib), QString()).contains("src=\"data:image/png;base64,iVBOR"));
    Picture drawing{QImage(), QByteArray("WMF bytes"), Picture::Wmf, 40, 20};
    const QByteArray box = PreOf(WriteHtmlPage(PictureDoc(drawing), QString()));
    QVERIFY2(box.contains("width:40px;height:20px") && !box.contains("<img"), box.constData());
}

// The clipboard's HTML: just the stretch selected.
void TstPageWriters::clipboardStretch()
{
    const Document doc = Doc(QStringLiteral("MOV "), kRed, QStringLiteral("EAX<"), kPlain);
    QCOMPARE(HtmlBody(doc, 1, 6), QStringLiteral("<span style=\"color:#ff0000;\">OV </span>EA"));
    QCOMPARE(HtmlBody(doc, 5, 99), QStringLiteral("AX&lt;"));
    QCOMPARE(HtmlBody(doc, 3, 3), QString());
}

QTEST_GUILESS_MAIN(TstPageWriters)
#include "tst_page_writers.moc"
