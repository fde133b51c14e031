// Pictures of every kind, and wherever a file hides them, are read with
// their own data and written back as they came.
#include "document.h"
#include "rtf_reader.h"
#include "rtf_writer.h"

#include <QBuffer>
#include <QtEndian>
#include <QtTest>

using lumora::Document;
using lumora::Picture;

namespace {

const QString kPictureFile = QStringLiteral(LUMORA_SOURCE_DIR "/tests/rich_text/data/pictures.rtf");

QByteArray Le(quint32 v, int bytes = 4)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b.left(bytes);
}

QByteArray Png3x2()
{
    QImage img(3, 2, QImage::Format_RGB32);
    img.fill(qRgb(255, 0, 0));
    QByteArray png;
    QBuffer b(&png);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "PNG");
    return png;
}

// BITMAPINFOHEADER of a 2x2 24-bit DIB, then its rows.
QByteArray DibHeader() { return QByteArray::fromHex("2800000002000000020000000100180000000000100000000000000000000000000000000000000000"); }
QByteArray DibRows() { return QByteArray::fromHex("0000ff00ff000000ff0000ffffff0000"); }

// A metafile that draws one line: header, LineTo, EOF.  Nothing to show.
QByteArray VectorWmf()
{
    return QByteArray::fromHex("010009000003" "11000000" "0000" "05000000" "0000")
         + QByteArray::fromHex("05000000" "1302" "0a00" "0a00") + QByteArray::fromHex("03000000" "0000");
}

// An enhanced metafile: header record, optional records, EOF record.
QByteArray Emf(const QByteArray &records = QByteArray())
{
    QByteArray header = Le(1) + Le(88) + QByteArray(32, '\0') + Le(0x464D4520) + QByteArray(44, '\0');
    return header + records + Le(14) + Le(20) + QByteArray(12, '\0');
}

// StretchDIBits carrying the 2x2 DIB: the way programs wrap a bitmap in EMF.
QByteArray EmfWithDib()
{
    QByteArray rec = Le(81) + Le(80 + 40 + 16) + QByteArray(40, '\0');
    rec += Le(80) + Le(40) + Le(120) + Le(16) + QByteArray(16, '\0');
    return Emf(rec + DibHeader() + DibRows());
}

// Each picture as kind, display size, whether it shows as a box, data.
QStringList Signatures(const Document &doc)
{
    QStringList out;
    for (int i = 0; i < doc.text.size(); ++i) {
        const int id = doc.formats.At(doc.runs.FormatAt(i)).picture;
        if (id < 0)
            continue;
        const Picture &p = doc.pictures[id];
        out << QStringLiteral("%1/%2 %3x%4 %5 %6")
                   .arg(int(p.kind)).arg(p.kindParam).arg(p.width).arg(p.height)
                   .arg(p.image.isNull() ? "box" : "shown", QString::fromLatin1(p.data.toHex()));
    }
    return out;
}

QString Sig(Picture::Kind kind, int param, double w, double h, bool shown, const QByteArray &data)
{
    return QStringLiteral("%1/%2 %3x%4 %5 %6")
        .arg(int(kind)).arg(param).arg(w).arg(h).arg(shown ? "shown" : "box", QString::fromLatin1(data.toHex()));
}

Document Read(const QByteArray &rtf)
{
    Document doc;
    QString error;
    if (!lumora::ReadRtf(rtf, &doc, &error))
        qWarning("%s", qPrintable(error));
    return doc;
}

} // namespace

class TstRtfPictures : public QObject
{
    Q_OBJECT
private slots:
    void kinds_data();
    void kinds();
    void hidden_data();
    void hidden();
    void realFileKeepsEveryPicture();
};

// Every kind is kept with its data and comes back from a save in its kind.
void TstRtfPictures::kinds_data()
{
    QTest::addColumn<QByteArray>("pict");
    QTest::addColumn<QString>("signature");
    QTest::addColumn<QByteArray>("written");
    const QByteArray dib = DibHeader() + DibRows();
    QTest::newRow("vector wmf") << "\\wmetafile8\\picw2540\\pich1270 " + VectorWmf().toHex()
                                << Sig(Picture::Wmf, 8, 96, 48, false, VectorWmf()) << QByteArray("{\\pict\\wmetafile8\\picw2540\\pich1270\\picwgoal1440\\pichgoal720\r\n");
    QTest::newRow("vector emf") << "\\emfblip\\picwgoal1500\\pichgoal750 " + Emf().toHex()
                                << Sig(Picture::Emf, -1, 100, 50, false, Emf()) << QByteArray("{\\pict\\emfblip\\picw");
    QTest::newRow("emf with a bitmap") << "\\emfblip " + EmfWithDib().toHex()
                                       << Sig(Picture::Emf, -1, 2, 2, true, EmfWithDib()) << QByteArray("{\\pict\\emfblip");
    QTest::newRow("dib") << "\\dibitmap0 " + dib.toHex() << Sig(Picture::Dib, 0, 2, 2, true, dib)
                         << QByteArray("{\\pict\\dibitmap0\\picwgoal30\\pichgoal30\r\n");
    QTest::newRow("wbitmap") << QByteArray("\\wbitmap0\\picw3\\pich2\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes2 4000a000")
                             << Sig(Picture::Wbitmap, 0, 3, 2, true, QByteArray::fromHex("4000a000"))
                             << QByteArray("\\wbitmap0\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes2\\picw3\\pich2");
    QTest::newRow("macpict") << QByteArray("\\macpict\\picw10\\pich20 0011") << Sig(Picture::Macpict, -1, 10, 20, false, QByteArray::fromHex("0011"))
                             << QByteArray("{\\pict\\macpict\\picw10\\pich20");
    QTest::newRow("os/2 metafile") << QByteArray("\\pmmetafile4\\picwgoal300\\pichgoal300 00") << Sig(Picture::Pmmetafile, 4, 20, 20, false, QByteArray(1, '\0'))
                                   << QByteArray("{\\pict\\pmmetafile4");
    QTest::newRow("no kind given") << QByteArray("\\picwgoal300\\pichgoal150 abcd") << Sig(Picture::Unknown, -1, 20, 10, false, QByteArray::fromHex("abcd"))
                                   << QByteArray("{\\pict\\picwgoal300\\pichgoal150\r\nabcd}");
}

void TstRtfPictures::kinds()
{
    QFETCH(QByteArray, pict);
    QFETCH(QString, signature);
    QFETCH(QByteArray, written);
    const Document doc = Read("{\\rtf1 a{\\pict" + pict + "}b}");
    QCOMPARE(doc.text, QStringLiteral("a\uFFFCb"));
    QCOMPARE(Signatures(doc), QStringList{signature});
    const QByteArray rtf = lumora::WriteRtf(doc);
    QVERIFY2(rtf.contains(written), rtf.constData());
    QCOMPARE(Signatures(Read(rtf)), QStringList{signature});
}

// Floating pictures, pictures with a stand-in for older readers, and data
// in sub-groups: one picture each, the picture rather than its stand-in.
void TstRtfPictures::hidden_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QStringList>("pictures");
    const QByteArray png = Png3x2(), dib = DibHeader() + DibRows();
    const QString pngSig = Sig(Picture::Png, -1, 3, 2, true, png);
    const QString dibSig = Sig(Picture::Dib, 0, 2, 2, true, dib);
    const QByteArray pib = "{\\sp{\\sn pib}{\\sv {\\pict\\pngblip " + png.toHex() + "}}}";
    const QByteArray fill = "{\\sp{\\sn fillBlip}{\\sv {\\pict\\pngblip " + png.toHex() + "}}}";
    const QByteArray result = "{\\shprslt\\par\\pard{\\pict\\dibitmap0 " + dib.toHex() + "}\\par}";
    QTest::newRow("shape picture, else its result")
        << "{\\rtf1{\\shp{\\*\\shpinst\\shpleft0{\\sp{\\sn shapeType}{\\sv 75}}" + pib + "}" + result + "}"
           "{\\shp{\\*\\shpinst" + fill + "}" + result + "}}"
        << QStringList{pngSig, dibSig};
    QTest::newRow("group of shapes") << "{\\rtf1{\\shpgrp{\\*\\shpinst{\\shp{\\*\\shpinst" + pib + "}}}" + result + "}}"
                                     << QStringList{pngSig};
    QTest::newRow("shppict emf, not its wmf stand-in")
        << "{\\rtf1{\\*\\shppict{\\pict\\emfblip\\picwgoal150\\pichgoal75 " + Emf().toHex() + "}}"
           "{\\nonshppict{\\pict\\wmetafile8\\picw53\\pich53 " + VectorWmf().toHex() + "}}}"
        << QStringList{Sig(Picture::Emf, -1, 10, 5, false, Emf())};
    QTest::newRow("bin in a sub-group") << "{\\rtf1{\\pict\\pngblip{\\bin" + QByteArray::number(png.size()) + " " + png + "}}}"
                                        << QStringList{pngSig};
    QTest::newRow("properties before the data")
        << "{\\rtf1{\\pict{\\*\\picprop\\shplid1025{\\sp{\\sn shapeType}{\\sv 75}}}\\wmetafile8\\picw2540\\pich1270"
           "{\\*\\blipuid 00112233445566778899aabbccddeeff}" + VectorWmf().toHex() + "}}"
        << QStringList{Sig(Picture::Wmf, 8, 96, 48, false, VectorWmf())};
}

void TstRtfPictures::hidden()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QStringList, pictures);
    const Document doc = Read(rtf);
    QCOMPARE(Signatures(doc), pictures);
    QCOMPARE(Signatures(Read(lumora::WriteRtf(doc))), pictures);
}

// A file as a word processor writes it, with a picture of each sort.
void TstRtfPictures::realFileKeepsEveryPicture()
{
    QFile f(kPictureFile);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const Document doc = Read(f.readAll());
    const QStringList pictures = Signatures(doc);
    QCOMPARE(pictures.size(), 8);
    QVERIFY(doc.text.contains(QStringLiteral("After the pictures.")));
    QCOMPARE(Signatures(Read(lumora::WriteRtf(doc))), pictures);
}

QTEST_GUILESS_MAIN(TstRtfPictures)
#include "tst_rtf_pictures.moc"
