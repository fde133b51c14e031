#include "document/text_codec.h"

#include <QtTest>

using lumora::kMaxDocumentFileBytes;

namespace {

// Bytes of a literal, embedded NULs included.
template <size_t N>
QByteArray Raw(const char (&s)[N])
{
    return QByteArray(s, N - 1);
}

QString Decode(const QByteArray &bytes)
{
    QString text, error;
    if (!lumora::DecodeTextFile(bytes, &text, &error))
        qWarning("decode failed: %s", qPrintable(error));
    return text;
}

QByteArray Encode(const QString &text)
{
    QByteArray bytes;
    QString error;
    if (!lumora::EncodeTextFile(text, &bytes, &error))
        qWarning("encode failed: %s", qPrintable(error));
    return bytes;
}

} // namespace

class TstTextCodec : public QObject
{
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
    void encode_data();
    void encode();
    void roundTrip_data();
    void roundTrip();
    void sliceBoundaries();
    void decodeNeverFails();
    void hugeTextConverts();
    void tooLargeIsRefused();
};

void TstTextCodec::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("gbk chinese") << QByteArray("\xc4\xe3\xba\xc3 OD") << QStringLiteral("你好 OD");
    QTest::newRow("gbk trail byte 0x5c") << QByteArray("\x81\x5c\\") << QStringLiteral("乗\\");
    QTest::newRow("lf") << QByteArray("a\nb\n") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("cr lf") << QByteArray("a\r\nb\r\n") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("lone cr") << QByteArray("a\rb\r") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("mixed, blank lines") << QByteArray("a\r\n\r\rb\n\nc") << QStringLiteral("a\r\n\r\n\r\nb\r\n\r\nc");
    QTest::newRow("cr cr lf is two breaks") << QByteArray("a\r\r\nb") << QStringLiteral("a\r\n\r\nb");
    QTest::newRow("lf cr is two breaks") << QByteArray("\n\r") << QStringLiteral("\r\n\r\n");
    QTest::newRow("gb18030 four bytes") << QByteArray("\x95\x32\x82\x36") << QString::fromUtf8("\xF0\xA0\x80\x80");
    QTest::newRow("invalid byte") << QByteArray("a\xff" "b") << QStringLiteral("a\uFFFDb");
    QTest::newRow("lead byte at end") << QByteArray("a\xc4") << QStringLiteral("a\uFFFD");
    QTest::newRow("lead byte before newline") << QByteArray("\xc4\nb") << QStringLiteral("\uFFFD\r\nb");
    // GBK text may begin with the bytes of a UTF-8 mark: "锘俊汉字".
    QTest::newRow("gbk starting with ef bb bf") << QByteArray("\xEF\xBB\xBF\xA1\xBA\xBA\xD7\xD6")
                                                << QStringLiteral("锘俊汉字");
    QTest::newRow("bad utf-8 after mark is gbk") << QByteArray("\xEF\xBB\xBF" "a\xe4") << QStringLiteral("锘縜\uFFFD");
    QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF\xe4\xbd\xa0\r\nx") << QStringLiteral("你\r\nx");
    QTest::newRow("utf-8 without mark") << QByteArray("\xe4\xbd\xa0\xe5\xa5\xbd\n") << QStringLiteral("你好\r\n");
    QTest::newRow("utf-8 mark and ascii") << QByteArray("\xEF\xBB\xBFmov") << QStringLiteral("mov");
    QTest::newRow("utf-8 mark alone") << QByteArray("\xEF\xBB\xBF") << QString();
    QTest::newRow("second utf-8 mark stays") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF" "a") << QStringLiteral("\uFEFFa");
    QTest::newRow("overlong utf-8 is gbk") << QByteArray("\xC0\xAF") << QStringLiteral("蜡");
    QTest::newRow("utf-16 le") << Raw("\xFF\xFE\x60\x4F\x0A\x00x\x00") << QStringLiteral("你\r\nx");
    QTest::newRow("utf-16 be, surrogate pair") << Raw("\xFE\xFF\x4F\x60\xD8\x3D\xDE\x00")
                                               << QString::fromUtf8("你\xF0\x9F\x98\x80");
    QTest::newRow("utf-16 le mark alone") << QByteArray("\xFF\xFE") << QString();
    QTest::newRow("utf-16 odd length is gbk") << QByteArray("\xFF\xFE" "a") << QStringLiteral("\uFFFD\uE826");
    QTest::newRow("utf-16 lone surrogate is gbk") << Raw("\xFE\xFF\xD8\x3D\x00x") << QStringLiteral("\uFFFD\uFFFD=\0x");
}

void TstTextCodec::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(Decode(bytes), text);
}

void TstTextCodec::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty gets one cr lf") << QString() << QByteArray("\r\n");
    QTest::newRow("chinese") << QStringLiteral("你好\r\nab") << QByteArray("\xc4\xe3\xba\xc3\r\nab\r\n");
    QTest::newRow("picture takes no bytes") << QStringLiteral("a\uFFFCb") << QByteArray("ab\r\n");
    QTest::newRow("soft break") << QStringLiteral("a\vb\u2028c\u2029d") << QByteArray("a\r\nb\r\nc\r\nd\r\n");
    QTest::newRow("outside gbk uses gb18030") << QString::fromUtf8("\xF0\x9F\x98\x80") << QByteArray("\x94\x39\xfc\x36\r\n");
    QTest::newRow("euro") << QStringLiteral("€") << QByteArray("\xa2\xe3\r\n");
    QTest::newRow("no mark for U+FEFF") << QStringLiteral("\uFEFFa") << QByteArray("\x84\x31\x95\x33" "a\r\n");
}

void TstTextCodec::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Encode(text), bytes);
}

void TstTextCodec::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("chinese and ascii") << QStringLiteral("mov eax, [ebx] ; 注释\r\n破解计算器");
    QTest::newRow("emoji and ext-b") << QString::fromUtf8("\xF0\x9F\x98\x80 \xF0\xA0\x80\x80 \xF0\xAA\x9A\xB2");
    QTest::newRow("rare and symbols") << QStringLiteral("€ ™ ǹ ḿ  ⅷ ẞ");
    QTest::newRow("blank lines") << QStringLiteral("\r\n\r\na\r\n");
    QTest::newRow("gbk bytes of a utf-8 mark") << QStringLiteral("锘俊汉字");
    QTest::newRow("starts with U+FEFF") << QStringLiteral("\uFEFF注释");
}

// What Save As writes, Open reads back as the same text (plus the final line
// break the file format adds).
void TstTextCodec::roundTrip()
{
    QFETCH(QString, text);
    QCOMPARE(Decode(Encode(text)), text + QLatin1String("\r\n"));
}

// Conversions run in slices, and ASCII runs past the GB18030 decoder: a
// line break, a character or an incomplete sequence split between two
// slices comes out as the library gives it for the whole file at once.
void TstTextCodec::sliceBoundaries()
{
    const QByteArray tails[] = {
        QByteArray("\r\nb"), QByteArray("\xc4\xe3\xba\xc3"), QByteArray("\x95\x32\x82\x36"),
        QByteArray("\x81\x30\x81") + QByteArray(40, ' '), QByteArray("\x81\x30\x81"), QByteArray("\xc4"),
    };
    for (const QByteArray &filler : {QByteArray("a"), QByteArray("\xc4\xe3")}) {
        for (int size = 65533; size <= 65537; ++size) {
            const QByteArray head = filler.repeated(70000).left(size);
            for (const QByteArray &tail : tails) {
                const QByteArray bytes = head + tail;
                QStringDecoder whole("GB18030", QStringConverter::Flag::Stateless);
                QString expected = whole.decode(bytes + '\n');
                expected.chop(1);
                const QString text = Decode(bytes);
                QCOMPARE(text, expected);
                QCOMPARE(Decode(Encode(text)), text + QLatin1String("\r\n"));
            }
        }
    }
    // UTF-8 and UTF-16 characters split between slices.
    const QString wide = QString::fromUtf8("\xF0\x9F\x98\x80你");
    for (int size = 65533; size <= 65537; ++size) {
        const QString text = QString(size, QLatin1Char('a')) + wide;
        QCOMPARE(Decode(text.toUtf8()), text);
        QCOMPARE(Decode(QByteArray("\xFF\xFE") + QStringEncoder(QStringConverter::Utf16LE).encode(text.mid(size / 2))),
                 text.mid(size / 2));
    }
}

void TstTextCodec::decodeNeverFails()
{
    QRandomGenerator rng(7);
    for (int round = 0; round < 50; ++round) {
        QByteArray bytes(1 + rng.bounded(400), '\0');
        for (char &c : bytes)
            c = char(rng.bounded(256));
        QString text, error;
        QVERIFY(lumora::DecodeTextFile(bytes, &text, &error));
        // Every line break is CR LF, and nothing else is invented: each
        // byte gives at most one character, or two for a line break.
        QCOMPARE(text.count(QLatin1Char('\r')), text.count(QLatin1Char('\n')));
        QCOMPARE(text.count(QLatin1Char('\r')), text.count(QLatin1String("\r\n")));
        QVERIFY(text.size() <= 2 * bytes.size());
    }
}

// Conversions of half a gigabyte and more once came back empty, which the
// editor took for an empty document and the save for an empty file.
void TstTextCodec::hugeTextConverts()
{
    const qsizetype size = 536870911;   // 512 MB less one byte
    QString text;
    {
        QByteArray bytes(size, 'a');
        bytes[size - 1] = '\n';
        QString error;
        QVERIFY(lumora::DecodeTextFile(bytes, &text, &error));
    }
    QCOMPARE(text.size(), size + 1);
    QVERIFY(text.startsWith(QLatin1String("aaaa")) && text.endsWith(QLatin1String("a\r\n")));
    QByteArray saved;
    QString error;
    QVERIFY(lumora::EncodeTextFile(text, &saved, &error));
    QCOMPARE(saved.size(), size + 3);
    QVERIFY(saved.startsWith("aaaa") && saved.endsWith("a\r\n\r\n"));
}

void TstTextCodec::tooLargeIsRefused()
{
    const QByteArray huge(kMaxDocumentFileBytes + 1, Qt::Uninitialized);   // never touched
    QString text = QStringLiteral("before"), error;
    QVERIFY(!lumora::DecodeTextFile(huge, &text, &error));
    QVERIFY2(error.contains(QStringLiteral("文件太大")), qPrintable(error));
    QCOMPARE(text, QStringLiteral("before"));
}

QTEST_GUILESS_MAIN(TstTextCodec)
#include "tst_text_codec.moc"
