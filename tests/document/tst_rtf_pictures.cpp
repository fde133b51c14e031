// Pictures of every kind, and wherever a file hides them, are read with
// their own data and written back as they came.
#include "document/document.h"
#include "document/rtf_reader.h"
#include "document/rtf_writer.h"

#include <QBuffer>
#include <QtEndian>
#include <QtTest>

using lumora::Document;
using lumora::Picture;
using lumora::ReadRtf;

namespace {

const QString kPictureFile = QStringLiteral(LUMORA_SOURCE_DIR "/tests/document/data/pictures.rtf");

QByteArray Hex(const QByteArray &bytes) { return bytes.toHex(); }

QByteArray PngOf(const QImage &img)
{
    QByteArray png;
    QBuffer b(&png);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "PNG");
    return png;
}

// A 2x2 24-bit DIB: BITMAPINFOHEADER then bottom-up rows padded to 4 bytes.
QByteArray Dib2x2()
{
    QByteArray d = QByteArray::fromHex("28000000" "02000000" "02000000" "0100" "1800"
                                       "00000000" "10000000" "130b0000" "130b0000" "00000000" "00000000");
    d += QByteArray::fromHex("0000ff" "00ff00" "0000");   // bottom row: red, green
    d += QByteArray::fromHex("ff0000" "ffffff" "0000");   // top row: blue, white
    return d;
}

// A picture kept but not decoded, shown as a box.
constexpr QRgb kBox = 1;

struct PictureSeen
{
    int count = 0;
    double width = 0, height = 0;
    QImage image;
};

PictureSeen Pictures(const QByteArray &rtf)
{
    Document doc;
    PictureSeen seen;
    if (!ReadRtf(rtf, &doc, nullptr))
        return seen;
    for (int i = 0; i < doc.text.size(); ++i) {
        const int picture = doc.formats.At(doc.runs.FormatAt(i)).picture;
        if (picture < 0)
            continue;
        ++seen.count;
        seen.width = doc.pictures[picture].width;
        seen.height = doc.pictures[picture].height;
        seen.image = doc.pictures[picture].image;
    }
    return seen;
}


QByteArray Le(quint32 v, int bytes = 4)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b.left(bytes);
}

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
    return Emf(rec + Dib2x2());
}

QByteArray Png3x2()
{
    QImage img(3, 2, QImage::Format_RGB32);
    img.fill(qRgb(255, 0, 0));
    return PngOf(img);
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
    void pictures_data();
    void pictures();
    void picturesBounded();
    void picturesShared();
    void kinds_data();
    void kinds();
    void hidden_data();
    void hidden();
    void realFileKeepsEveryPicture();
};

void TstRtfPictures::pictures_data()
{
    QImage img(3, 2, QImage::Format_RGB32);
    img.fill(qRgb(10, 200, 30));
    img.setPixel(0, 0, qRgb(255, 0, 0));
    const QByteArray png = Hex(PngOf(img));
    QBuffer jb;
    jb.open(QIODevice::WriteOnly);
    img.save(&jb, "JPEG");
    const QByteArray jpeg = Hex(jb.data());
    const QByteArray dib = Hex(Dib2x2());
    // A metafile: header, one StretchDIB record carrying the DIB, EOF.
    QByteArray wmf = QByteArray::fromHex("0100" "0900" "0003") + QByteArray(4, '\0') + QByteArray::fromHex("0000") + QByteArray(4, '\0') + QByteArray::fromHex("0000");
    const QByteArray dibBytes = Dib2x2();
    const quint32 words = quint32(6 + 22 + dibBytes.size()) / 2;
    QByteArray rec(4, '\0');
    qToLittleEndian(words, rec.data());
    rec += QByteArray::fromHex("430f" "2000cc00" "0000" "0200" "0200" "0000" "0000" "0200" "0200" "0000" "0000") + dibBytes;
    wmf += rec + QByteArray::fromHex("03000000" "0000");

    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<int>("count");
    QTest::addColumn<QSizeF>("size");
    QTest::addColumn<QRgb>("topLeft");
    QTest::newRow("png with goal size") << "{\\rtf1{\\pict\\pngblip\\picw3\\pich2\\picwgoal90\\pichgoal60 " + png + "}}" << 1 << QSizeF(6, 4) << qRgb(255, 0, 0);
    QTest::newRow("png natural size") << "{\\rtf1{\\pict\\pngblip " + png + "}}" << 1 << QSizeF(3, 2) << qRgb(255, 0, 0);
    QTest::newRow("png scaled") << "{\\rtf1{\\pict\\picscalex200\\picscaley50\\pngblip\\picwgoal45\\pichgoal30 " + png + "}}" << 1 << QSizeF(6, 1) << qRgb(255, 0, 0);
    QTest::newRow("png as bin") << "{\\rtf1{\\pict\\pngblip\\bin" + QByteArray::number(PngOf(img).size()) + " " + PngOf(img) + "}}" << 1 << QSizeF(3, 2) << qRgb(255, 0, 0);
    QTest::newRow("jpeg") << "{\\rtf1{\\pict\\jpegblip " + jpeg + "}}" << 1 << QSizeF(3, 2) << QRgb(0);
    QTest::newRow("dibitmap") << "{\\rtf1{\\pict\\dibitmap0\\picw2\\pich2 " + dib + "}}" << 1 << QSizeF(2, 2) << qRgb(0, 0, 255);
    QTest::newRow("wbitmap 1bpp") << QByteArray("{\\rtf1{\\pict\\wbitmap0\\picw3\\pich2\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes2 4000 a000}}") << 1 << QSizeF(3, 2) << qRgb(0, 0, 0);
    QTest::newRow("metafile with dib") << "{\\rtf1{\\pict\\wmetafile8\\picw53\\pich53 " + Hex(wmf) + "}}" << 1 << QSizeF(2, 2) << qRgb(0, 0, 255);   // 30.05 twips, kept as 30
    QTest::newRow("shppict wins") << "{\\rtf1{\\*\\shppict{\\pict\\pngblip " + png + "}}{\\nonshppict{\\pict\\dibitmap0 " + dib + "}}}" << 1 << QSizeF(3, 2) << qRgb(255, 0, 0);
    QTest::newRow("shppict emf wins, as a box") << "{\\rtf1{\\*\\shppict{\\pict\\emfblip\\picwgoal150\\pichgoal75 0102}}{\\nonshppict{\\pict\\dibitmap0 " + dib + "}}}" << 1 << QSizeF(10, 5) << kBox;
    QTest::newRow("nonshppict when shppict is empty") << "{\\rtf1{\\*\\shppict{\\pict\\emfblip}}{\\nonshppict{\\pict\\dibitmap0 " + dib + "}}}" << 1 << QSizeF(2, 2) << qRgb(0, 0, 255);
    QTest::newRow("emf as a box of its metafile size") << QByteArray("{\\rtf1 a{\\pict\\emfblip\\picw2540\\pich1270 01000000}b}") << 1 << QSizeF(96, 48) << kBox;
    QTest::newRow("damaged png as a box") << QByteArray("{\\rtf1{\\pict\\pngblip 89504e470d0a1a0a0000}}") << 1 << QSizeF(32, 32) << kBox;
    // 8 bits times 536870913 planes wraps to 8 in 32 bits.
    QTest::newRow("wbitmap planes overflow") << QByteArray("{\\rtf1{\\pict\\wbitmap0\\picw1\\pich1\\wbmbitspixel8\\wbmplanes536870913 00}}") << 1 << QSizeF(1, 1) << kBox;
    QTest::newRow("picture sub-groups skipped") << "{\\rtf1{\\pict{\\*\\picprop{\\sp{\\sn a}{\\sv b}}}\\pngblip{\\*\\blipuid 00ff}" + png + "}}" << 1 << QSizeF(3, 2) << qRgb(255, 0, 0);
}

void TstRtfPictures::pictures()
{
    QFETCH(QByteArray, rtf);
    QFETCH(int, count);
    QFETCH(QSizeF, size);
    QFETCH(QRgb, topLeft);
    const PictureSeen seen = Pictures(rtf);
    QCOMPARE(seen.count, count);
    if (!count)
        return;
    QVERIFY(qAbs(seen.width - size.width()) < 1e-9);
    QVERIFY(qAbs(seen.height - size.height()) < 1e-9);
    QCOMPARE(seen.image.isNull(), topLeft == kBox);
    if (topLeft && topLeft != kBox)
        QCOMPARE(seen.image.pixel(0, 0) | 0xFF000000u, topLeft | 0xFF000000u);
}

// Sizes from the data itself cannot make the reader allocate gigabytes:
// such pictures are kept undecoded, as boxes.
void TstRtfPictures::picturesBounded()
{
    // A PNG header claiming 60000 x 60000 pixels.
    const QByteArray bigPng = "89504e470d0a1a0a0000000d49484452" "0000ea60" "0000ea60" "0806000000" "80d27542"
                              "0000000b49444154789c6360800100000a00017f80745e";
    const QByteArray dibHuge = "28000000" "ffffff7f" "ffffff7f" "0100" "2000" "00000000";
    for (const QByteArray &pict : {"\\pngblip " + bigPng, QByteArray("\\wbitmap0\\picw2000000000\\pich2000000000\\wbmbitspixel32 00"),
                                   "\\dibitmap0 " + dibHuge, QByteArray("\\pngblip\\bin999999 00")}) {
        const PictureSeen seen = Pictures("{\\rtf1{\\pict" + pict + "}}");
        QVERIFY2(seen.image.isNull() && seen.width <= 100000 && seen.height <= 100000, pict.left(30).constData());
    }
}

// A picture pasted many times is decoded once and keeps its PNG data; a
// copy shown at another size is a picture of its own sharing both.
void TstRtfPictures::picturesShared()
{
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(qRgb(1, 2, 3));
    const QByteArray png = PngOf(img);
    const QByteArray pict = "{\\pict\\pngblip " + Hex(png) + "}";
    const QByteArray rtf = "{\\rtf1 " + pict.repeated(50) + "x{\\pict\\pngblip\\picscalex200 " + Hex(png) + "}}";
    Document doc;
    QVERIFY(ReadRtf(rtf, &doc, nullptr));
    QCOMPARE(doc.text.size(), 52);
    QCOMPARE(doc.pictures.size(), 2);
    const lumora::Picture &a = doc.pictures[0], &b = doc.pictures[1];
    QCOMPARE(a.data, png);
    QCOMPARE(a.kind, lumora::Picture::Png);
    QCOMPARE(a.image.cacheKey(), b.image.cacheKey());
    QCOMPARE(a.data.constData(), b.data.constData());
    QCOMPARE(QSizeF(b.width, b.height), QSizeF(80, 30));
}

// Every kind is kept with its data and comes back from a save in its kind.
void TstRtfPictures::kinds_data()
{
    QTest::addColumn<QByteArray>("pict");
    QTest::addColumn<QString>("signature");
    QTest::addColumn<QByteArray>("written");
    const QByteArray dib = Dib2x2();
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
    const QByteArray png = Png3x2(), dib = Dib2x2();
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
