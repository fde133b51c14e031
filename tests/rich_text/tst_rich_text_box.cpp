#include "document/color_layers.h"
#include "document/rtf_writer.h"
#include "document/text_lines.h"
#include "rich_text/pictures.h"
#include "rich_text/rich_text_box.h"

#include <QFile>
#include <QFontInfo>
#include <QScrollBar>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

using lumora::kPictureBoxFrame;
using lumora::RichTextBox;

namespace {
// Paste and drops both end in InsertFromMimeData.
class PasteProbe : public RichTextBox
{
public:
    void Insert(const QMimeData *m) { InsertFromMimeData(m); }
};
} // namespace

class TstRichTextBox : public QObject
{
    Q_OBJECT
private slots:
    void startsEmptyWrappingInSongFont();
    void textUsesCrLf();
    void find_data();
    void find();
    void findMissLeavesSelection();
    void findCrLfSelectsTheBreak();
    void selectionAcrossLineBreaks_data();
    void selectionAcrossLineBreaks();
    void selStartInsideBreakLandsOnIt();
    void selTextInsertsParagraphs();
    void colourChangeKeepsText();
    void colorRunsAreOneUndoStep();
    void pasteTakesPlainText();
    void pictureIsOneCharacter();
    void undecodedPictureIsAFramedBox();
    void longLinesTaken_data();
    void longLinesTaken();
    void manyLinesTaken();
    void reservedCharactersSurvive();
    void tallPictureInFileSeenRowByRow();
};

void TstRichTextBox::startsEmptyWrappingInSongFont()
{
    RichTextBox box;
    QCOMPARE(box.Text(), QString());
    QCOMPARE(box.objectName(), QStringLiteral("RichTextBox1"));
    QVERIFY(box.WordWrap());
    QCOMPARE(box.font().family(), QStringLiteral("宋体"));
    QCOMPARE(box.font().pointSizeF(), 9.0);
    QVERIFY(!box.font().bold() && !box.font().italic() && !box.font().underline() && !box.font().strikeOut());
    // Whatever face answers to "宋体" must carry Chinese glyphs.
    const QFontInfo info(box.font());
    QVERIFY2(QFontMetrics(box.font()).inFont(QChar(0x4E2D)), qPrintable(info.family()));
}

void TstRichTextBox::textUsesCrLf()
{
    RichTextBox box;
    box.SetPlainText(QStringLiteral("中文\n第二行\nabc"));
    QCOMPARE(box.Text(), QStringLiteral("中文\r\n第二行\r\nabc"));
    QCOMPARE(box.TextLength(), 12);
}

void TstRichTextBox::find_data()
{
    QTest::addColumn<QString>("doc");
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("found");
    QTest::addColumn<QString>("selected");
    const QString mov = QStringLiteral("Mov eax, MOV ebx");
    QTest::newRow("case ignored") << mov << "mov" << 0 << -1 << 0 << "Mov";
    QTest::newRow("from 3") << mov << "mov" << 3 << -1 << 9 << "MOV";
    QTest::newRow("match at start counts") << mov << "MOV" << 9 << -1 << 9 << "MOV";
    QTest::newRow("inside words") << "cmovz movzx" << "mov" << 0 << -1 << 1 << "mov";
    QTest::newRow("second line") << "abc\nxyz" << "y" << 0 << -1 << 6 << "y";
    QTest::newRow("ends at line end") << "abc\nxyz" << "bc" << 0 << -1 << 1 << "bc";
    QTest::newRow("across break") << "abc\nxyz" << "c\r\nx" << 0 << -1 << 2 << "c\r\nx";
    QTest::newRow("chinese second line") << "第一行\n第二行" << "二" << 0 << -1 << 6 << "二";
    QTest::newRow("end allows match ending there") << "aXbX" << "x" << 2 << 4 << 3 << "X";
    QTest::newRow("end stops match past it") << "aXbX" << "bx" << 0 << 3 << -1 << "";
    QTest::newRow("end past text clamps") << "abc" << "c" << 0 << 100 << 2 << "c";
    QTest::newRow("negative start from 0") << "abc" << "a" << -7 << -1 << 0 << "a";
    QTest::newRow("start past end") << "abc" << "a" << 4 << -1 << -1 << "";
    QTest::newRow("start at end") << "abc" << "c" << 3 << -1 << -1 << "";
    QTest::newRow("empty search") << "abc" << "" << 0 << -1 << -1 << "";
    QTest::newRow("empty doc") << "" << "a" << 0 << -1 << -1 << "";
}

void TstRichTextBox::find()
{
    QFETCH(QString, doc);
    QFETCH(QString, what);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, found);
    QFETCH(QString, selected);
    RichTextBox box;
    box.SetPlainText(doc);
    QCOMPARE(box.Find(what, start, end), found);
    if (found >= 0) {
        QCOMPARE(box.SelStart(), found);
        QCOMPARE(box.SelLength(), what.size());
        QCOMPARE(box.SelText(), selected);
    }
}

void TstRichTextBox::findMissLeavesSelection()
{
    RichTextBox box;
    box.SetPlainText(QStringLiteral("one\ntwo"));
    box.Select(5, 2);
    QCOMPARE(box.Find(QStringLiteral("three")), -1);
    QCOMPARE(box.SelStart(), 5);
    QCOMPARE(box.SelLength(), 2);
}

void TstRichTextBox::findCrLfSelectsTheBreak()
{
    RichTextBox box;
    box.SetPlainText(QStringLiteral("ab\ncd\nef"));
    QCOMPARE(box.Find(QStringLiteral("\r\n")), 2);
    QCOMPARE(box.SelText(), QStringLiteral("\r\n"));
    QCOMPARE(box.Find(QStringLiteral("\r\n"), 3), 6);
    QCOMPARE(box.SelStart(), 6);
    QCOMPARE(box.SelLength(), 2);
}

void TstRichTextBox::selectionAcrossLineBreaks_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("selText");
    // "ab\r\ncd": a0 b1 CR2 LF3 c4 d5
    QTest::newRow("over the break") << 1 << 4 << "b\r\nc";
    QTest::newRow("whole") << 0 << 6 << "ab\r\ncd";
    QTest::newRow("ending on LF takes the break") << 0 << 3 << "ab\r\n";
    QTest::newRow("length past end clamps") << 4 << 50 << "cd";
    QTest::newRow("negative length is empty") << 4 << -3 << "";
}

void TstRichTextBox::selectionAcrossLineBreaks()
{
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, selText);
    RichTextBox box;
    box.SetPlainText(QStringLiteral("ab\ncd"));
    box.SetSelStart(start);
    box.SetSelLength(length);
    QCOMPARE(box.SelText(), selText);
    QCOMPARE(box.SelLength(), selText.size());
}

void TstRichTextBox::selStartInsideBreakLandsOnIt()
{
    RichTextBox box;
    box.SetPlainText(QStringLiteral("ab\ncd"));
    box.SetSelStart(3);   // the LF
    QCOMPARE(box.SelStart(), 2);
    QCOMPARE(box.SelLength(), 0);
    box.SetSelStart(100);
    QCOMPARE(box.SelStart(), 6);
}

void TstRichTextBox::selTextInsertsParagraphs()
{
    RichTextBox box;
    box.SetPlainText(QStringLiteral("ab"));
    box.SetSelStart(1);
    box.SetSelText(QStringLiteral("x\r\ny\rz\nw"));
    QCOMPARE(box.Text(), QStringLiteral("ax\r\ny\r\nz\r\nwb"));
    QCOMPARE(box.Buffer().ParagraphCount(), 4);
    box.Select(0, 2);
    box.SetSelText(QString());
    QCOMPARE(box.Text(), QStringLiteral("\r\ny\r\nz\r\nwb"));
}

void TstRichTextBox::colourChangeKeepsText()
{
    RichTextBox box;
    box.SetPlainText(QStringLiteral("mov eax\nret"));
    box.Select(4, 3);
    box.SetSelColor(0x000000FF);
    QCOMPARE(box.SelColor(), lumora::OleColor(0x000000FF));
    QCOMPARE(box.FormatAt(5).foreground().color(), QColor(255, 0, 0));
    QCOMPARE(box.Text(), QStringLiteral("mov eax\r\nret"));
    QCOMPARE(box.Find(QStringLiteral("ret")), 9);
}

void TstRichTextBox::colorRunsAreOneUndoStep()
{
    RichTextBox box;
    box.SetPlainText(QStringLiteral("aa bb\ncc"));
    box.PaintFormats([](const QString &text, lumora::RunList &runs, lumora::FormatTable &formats) {
        lumora::PaintColorRuns(text, {{0, 2, 0x0000FF}, {3, 8, 0xFF0000}, {4, 5, 0x00FF00}}, runs, formats);
    });
    const auto colourAt = [&](int textPos) { return lumora::OleFromColor(box.FormatAt(textPos).foreground().color()); };
    QCOMPARE(colourAt(0), 0x0000FFu);
    QCOMPARE(colourAt(3), 0xFF0000u);
    QCOMPARE(colourAt(4), 0x00FF00u);   // the later run wins
    QCOMPARE(colourAt(7), 0xFF0000u);   // "c" on the next line
    box.Undo();
    for (int p : {0, 3, 4, 7})
        QVERIFY(!box.FormatAt(p).hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(box.Text(), QStringLiteral("aa bb\r\ncc"));
}

void TstRichTextBox::pasteTakesPlainText()
{
    PasteProbe box;
    box.SetPlainText(QStringLiteral("[]"));
    box.SetSelStart(1);
    QMimeData mime;
    mime.setHtml(QStringLiteral("<b style='color:red'>bold</b><br>next"));
    mime.setText(QStringLiteral("bold\r\nnext"));
    box.Insert(&mime);
    QCOMPARE(box.Text(), QStringLiteral("[bold\r\nnext]"));
    QVERIFY(!box.FormatAt(2).hasProperty(QTextFormat::FontWeight));
}

void TstRichTextBox::pictureIsOneCharacter()
{
    RichTextBox box;
    box.SetPlainText(QStringLiteral("ab\ncd"));
    box.SetSelStart(4);
    QImage img(5, 7, QImage::Format_ARGB32);
    img.fill(Qt::red);
    box.InsertPicture(img);
    QCOMPARE(box.TextLength(), 7);
    QCOMPARE(box.Text().at(4), QChar(QChar::ObjectReplacementCharacter));
    QCOMPARE(box.Find(QStringLiteral("d")), 6);
}

// A drawing Qt cannot decode shows as a framed box of its size, and stays
// in the document the editor saves.
void TstRichTextBox::undecodedPictureIsAFramedBox()
{
    RichTextBox box;
    box.resize(300, 200);
    QVERIFY(box.SetTextRTF("{\\rtf1 {\\pict\\emfblip\\picwgoal600\\pichgoal300 0102030405}x}"));
    const QImage shot = box.viewport()->grab().toImage();
    int frame = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            frame += shot.pixel(x, y) == kPictureBoxFrame.rgb();
    QVERIFY2(frame >= 2 * (40 + 20) - 4 && frame <= 2 * (40 + 20), qPrintable(QString::number(frame)));
    const QByteArray rtf = box.TextRTF();
    QVERIFY2(rtf.contains("{\\pict\\emfblip") && rtf.contains("\\picwgoal600\\pichgoal300\r\n0102030405}"), rtf.constData());
}

// Lines of any length and any number of lines are taken, from a file and
// from a paste, and every character, even those Qt's document took for
// paragraph breaks, stays itself through the editor and a save.
void TstRichTextBox::longLinesTaken_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("length");
    QTest::newRow("file, a line past 2^18") << "file" << (1 << 18) + 1;
    QTest::newRow("paste, a line past 2^18") << "paste" << (1 << 18) + 1;
    QTest::newRow("file, a line of 2^22") << "file" << (1 << 22);
}

void TstRichTextBox::longLinesTaken()
{
    QFETCH(QString, how);
    QFETCH(int, length);
    RichTextBox box;
    box.resize(825, 553);
    box.show();
    box.SetSelText(QStringLiteral("ab\ncd"));
    // What arrives is one line, split where it lands: "a" + x... + "b".
    const QString line = QString(length - 2, QLatin1Char('x'));
    QString why;
    if (how == QLatin1String("file")) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.txt"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("a" + line.toLatin1() + "b\r\nnext");
        f.close();
        QVERIFY2(box.LoadFile(path, &why), qPrintable(why));
    } else {
        box.SetSelStart(1);
        QVERIFY(box.CanInsert(line, &why));
        box.SetSelText(line);
    }
    QCOMPARE(lumora::LongestLine(box.Text()), length);
    box.SetSelStart(length / 2);
    QTest::keyClick(&box, Qt::Key_Y);
    QCOMPARE(box.Text().at(length / 2), QLatin1Char('y'));
    QVERIFY(!box.viewport()->grab().isNull());
}

void TstRichTextBox::manyLinesTaken()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lines.txt"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    const int lines = (1 << 23) + 1;   // Qt's document took at most 2^23
    f.write(QByteArray(qsizetype(lines), '\n'));
    f.close();
    RichTextBox box;
    QString why;
    QVERIFY2(box.LoadFile(path, &why), qPrintable(why));
    QCOMPARE(box.Buffer().ParagraphCount(), lines + 1);
    QCOMPARE(box.TextLength(), 2 * lines);
}

void TstRichTextBox::reservedCharactersSurvive()
{
    const QString odd = QStringLiteral("a") + QChar(0x2029) + QChar(0xFDD0) + QChar(0xFDD1) + QStringLiteral("b");
    RichTextBox box;
    box.SetSelText(odd);
    QCOMPARE(box.Text(), odd);
    RichTextBox again;
    QVERIFY(again.SetTextRTF(box.TextRTF()));
    QCOMPARE(again.Text(), odd);
}

// A picture 3,000 px tall in an RTF file, opened as File > Open does, in a
// window far lower than it: stepping the scroll bar down brings each of its
// pixel rows on screen (each row has a colour of its own).
void TstRichTextBox::tallPictureInFileSeenRowByRow()
{
    constexpr int kRows = 3000;
    QImage image(40, kRows, QImage::Format_RGB32);
    for (int r = 0; r < kRows; ++r) {
        for (int x = 0; x < 40; ++x)
            image.setPixel(x, r, qRgb(r & 0xFF, r >> 8, 0x80));
    }
    const QString text = QStringLiteral("上面\r\n") + QChar(0xFFFC) + QStringLiteral("\r\n下面");
    lumora::Document doc = lumora::Document::FromText(text);
    lumora::Picture picture;
    picture.image = image;
    picture.width = 40;
    picture.height = kRows;
    doc.pictures.append(picture);
    lumora::CharFormat f;
    f.picture = 0;
    doc.runs.Replace(4, 1, lumora::RunList(1, doc.formats.Id(f)));
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("tall.rtf")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(lumora::WriteRtf(doc)) > 0);
    file.close();

    RichTextBox box;
    box.resize(300, 200);
    QString error;
    QVERIFY2(box.LoadFile(file.fileName(), &error), qPrintable(error));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    std::vector<bool> seen(kRows, false);
    QScrollBar *bar = box.verticalScrollBar();
    for (int steps = 0;; ++steps) {
        const QImage shot = box.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < std::min(60, shot.width()); ++x) {
                const QRgb c = shot.pixel(x, y);
                if (qBlue(c) == 0x80 && qRed(c) + 256 * qGreen(c) < kRows)
                    seen[size_t(qRed(c) + 256 * qGreen(c))] = true;
            }
        }
        if (bar->value() == bar->maximum())
            break;
        QVERIFY(steps < 2000);
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    }
    QCOMPARE(int(std::count(seen.begin(), seen.end(), false)), 0);
}

QTEST_MAIN(TstRichTextBox)
#include "tst_rich_text_box.moc"
