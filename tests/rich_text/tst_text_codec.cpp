#include "text_codec.h"

#include <QtTest>

using lumora::DecodeTextFile;
using lumora::EncodeTextFile;

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
    void decodeNeverFails();
};

void TstTextCodec::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("gbk chinese") << QByteArray("\xc4\xe3\xba\xc3 OD") << QStringLiteral("你好 OD");
    QTest::newRow("gbk trail byte 0x5c") << QByteArray("\x81\x5c\\") << QStringLiteral("乗\\");
    QTest::newRow("lf") << QByteArray("a\nb\n") << QStringLiteral("a\nb\n");
    QTest::newRow("cr lf") << QByteArray("a\r\nb\r\n") << QStringLiteral("a\nb\n");
    QTest::newRow("lone cr") << QByteArray("a\rb\r") << QStringLiteral("a\nb\n");
    QTest::newRow("mixed, blank lines") << QByteArray("a\r\n\r\rb\n\nc") << QStringLiteral("a\n\n\nb\n\nc");
    QTest::newRow("cr cr lf is two breaks") << QByteArray("a\r\r\nb") << QStringLiteral("a\n\nb");
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF\xe4\xbd\xa0\r\nx") << QStringLiteral("你\nx");
    QTest::newRow("utf-8 without bom is gbk") << QByteArray("\xe4\xbd\xa0") << QStringLiteral("浣\uFFFD");
    QTest::newRow("gb18030 four bytes") << QByteArray("\x95\x32\x82\x36") << QString::fromUtf8("\xF0\xA0\x80\x80");
    QTest::newRow("invalid byte") << QByteArray("a\xff" "b") << QStringLiteral("a\uFFFDb");
    QTest::newRow("lead byte at end") << QByteArray("a\xc4") << QStringLiteral("a\uFFFD");
    QTest::newRow("lead byte before newline") << QByteArray("\xc4\nb") << QStringLiteral("\uFFFD\nb");
    QTest::newRow("bad utf-8 after bom") << QByteArray("\xEF\xBB\xBF" "a\xe4") << QStringLiteral("a\uFFFD");
}

void TstTextCodec::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(DecodeTextFile(bytes), text);
}

void TstTextCodec::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty gets one cr lf") << QString() << QByteArray("\r\n");
    QTest::newRow("chinese") << QStringLiteral("你好\r\nab") << QByteArray("\xc4\xe3\xba\xc3\r\nab\r\n");
    QTest::newRow("picture takes no bytes") << QStringLiteral("a\uFFFCb") << QByteArray("ab\r\n");
    QTest::newRow("soft break") << QStringLiteral("a\vb\u2028c") << QByteArray("a\r\nb\r\nc\r\n");
    QTest::newRow("outside gbk uses gb18030") << QString::fromUtf8("\xF0\x9F\x98\x80") << QByteArray("\x94\x39\xfc\x36\r\n");
    QTest::newRow("euro") << QStringLiteral("€") << QByteArray("\xa2\xe3\r\n");
}

void TstTextCodec::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(EncodeTextFile(text), bytes);
}

void TstTextCodec::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("chinese and ascii") << QStringLiteral("mov eax, [ebx] ; 注释\r\n破解计算器");
    QTest::newRow("emoji and ext-b") << QString::fromUtf8("\xF0\x9F\x98\x80 \xF0\xA0\x80\x80 \xF0\xAA\x9A\xB2");
    QTest::newRow("rare and symbols") << QStringLiteral("€ ™ ǹ ḿ  ⅷ ẞ");
    QTest::newRow("blank lines") << QStringLiteral("\r\n\r\na\r\n");
}

// What Save As writes, Open reads back as the same text (plus the final line
// break the file format adds).
void TstTextCodec::roundTrip()
{
    QFETCH(QString, text);
    QString expected = text;
    expected.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QCOMPARE(DecodeTextFile(EncodeTextFile(text)), expected + QLatin1Char('\n'));
}

void TstTextCodec::decodeNeverFails()
{
    QRandomGenerator rng(7);
    for (int round = 0; round < 50; ++round) {
        QByteArray bytes(1 + rng.bounded(400), '\0');
        for (char &c : bytes)
            c = char(rng.bounded(256));
        const QString text = DecodeTextFile(bytes);
        QVERIFY(!text.contains(QLatin1Char('\r')));
        // Nothing is invented: each byte gives at most one character.
        QVERIFY(text.size() <= bytes.size());
    }
}

QTEST_GUILESS_MAIN(TstTextCodec)
#include "tst_text_codec.moc"
