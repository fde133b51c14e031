// Plain-text files: any bytes load, through the codec and into a shown and
// laid-out editing area, and no character is lost on a text round trip.
#include "fuzz/fuzz_editor.h"
#include "fuzz/fuzz_support.h"
#include "rich_text/rich_text_box.h"
#include "document/rtf_reader.h"
#include "document/text_codec.h"
#include "document/text_lines.h"

#include <QApplication>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <unistd.h>

namespace {

QString Decoded(const QByteArray &bytes)
{
    QString text, error;
    FUZZ_CHECK(lumora::DecodeTextFile(bytes, &text, &error));
    return text;
}

QByteArray Encoded(const QString &text)
{
    QByteArray bytes;
    QString error;
    FUZZ_CHECK(lumora::EncodeTextFile(text, &bytes, &error));
    return bytes;
}

bool OnlyCrLfBreaks(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\r') && (i + 1 == text.size() || text[i + 1] != QLatin1Char('\n')))
            return false;
        if (text[i] == QLatin1Char('\n') && (i == 0 || text[i - 1] != QLatin1Char('\r')))
            return false;
    }
    return true;
}

bool OnlyCrLfBreaks(const QByteArray &bytes)
{
    return OnlyCrLfBreaks(QString::fromLatin1(bytes));
}

// What a text file stores of the editor's text: pictures take no bytes,
// soft line breaks become CR LF.
QString FileForm(QString text)
{
    text.remove(QChar(QChar::ObjectReplacementCharacter));
    for (QChar soft : {QChar(u'\v'), QChar(QChar::LineSeparator), QChar(QChar::ParagraphSeparator)})
        text.replace(soft, QLatin1String("\r\n"));
    return text;
}

// Whole-buffer conversions by the library itself, without slices or
// shortcuts: what the codec must agree with.
QString PlainGb18030(const QByteArray &bytes, bool *valid)
{
    QStringDecoder gb("GB18030", QStringConverter::Flag::Stateless);
    QString text = gb.decode(bytes + '\n');   // the line feed brings out an incomplete end
    *valid = !gb.hasError();
    text.chop(1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

bool ValidUtf8WithNonAscii(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    (void)QString(utf8.decode(bytes));
    return !utf8.hasError() && std::any_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0x80; });
}

bool Utf16Marked(const QByteArray &bytes)
{
    if (!bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF"))
        return false;
    QStringDecoder utf16(bytes[0] == '\xFF' ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                         QStringConverter::Flag::Stateless);
    const QString text = utf16.decode(QByteArrayView(bytes).sliced(2));
    return !utf16.hasError() && bytes.size() % 2 == 0 && text.isValidUtf16();
}

// Opens the bytes as File > Open does and lays out every line.
void LoadIntoEditor(const QByteArray &input, const QString &text)
{
    static const QString path = QStringLiteral("/dev/shm/lumora-fuzz-text-%1.txt").arg(::getpid());
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(input) == input.size());
    file.close();
    lumora::RichTextBox &box = ShownEditor();
    QString error;
    const bool loaded = box.LoadFile(path, &error);
    QFile::remove(path);
    if (lumora::IsRtf(input))
        return;   // read as RTF, not as text
    FUZZ_CHECK(loaded);
    LayOutAndPaint(box, std::numeric_limits<int>::max());
    // Saving what the editor holds writes what saving the text would.
    FUZZ_CHECK(Encoded(box.RawText()) == Encoded(text));
}

} // namespace

// Font matching for the shown editor keeps fontconfig's caches in memory
// that only fontconfig itself can reach.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = Bytes(data, size);
    const QString text = Decoded(input);
    FUZZ_CHECK(OnlyCrLfBreaks(text));
    const QByteArray saved = Encoded(text);
    FUZZ_CHECK(saved.endsWith("\r\n"));

    const bool asGb18030 = !Utf16Marked(input) && !ValidUtf8WithNonAscii(input);
    bool validGb18030 = false;
    const QString plain = PlainGb18030(input, &validGb18030);
    if (asGb18030) {
        // Slices and the ASCII shortcut change nothing.
        FUZZ_CHECK(text == plain);
        // GB18030 text comes back byte for byte, unless the writer had line
        // breaks or soft breaks to make CR LF, or pictures to drop.
        if (validGb18030 && OnlyCrLfBreaks(input) && FileForm(text) == text)
            FUZZ_CHECK(saved == input + "\r\n");
    }
    QStringEncoder gb("GB18030", QStringConverter::Flag::Stateless);
    FUZZ_CHECK(saved == QByteArray(gb.encode(FileForm(text) + QLatin1String("\r\n"))));

    // No character is lost: the saved file reads back as the text plus the
    // final line break.  Writing is always GBK; GBK bytes that also happen
    // to be valid UTF-8 read back as UTF-8, which is the price of reading
    // UTF-8 files at all.
    if (!ValidUtf8WithNonAscii(saved))
        FUZZ_CHECK(Decoded(saved) == FileForm(text) + QLatin1String("\r\n"));

    LoadIntoEditor(input, text);
    return 0;
}
