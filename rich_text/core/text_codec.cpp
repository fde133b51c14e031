#include "text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace lumora {

namespace {

// A stateless decoder drops an incomplete sequence at the very end of its
// input; a final line feed forces it out as U+FFFD and is removed again.
QString DecodeWhole(QStringDecoder &decoder, const QByteArray &bytes)
{
    QByteArray padded = bytes;
    padded.append('\n');
    QString text = decoder.decode(padded);
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

// CR LF and lone CR become LF, in place.
void UnifyLineBreaks(QString &text)
{
    if (!text.contains(QLatin1Char('\r')))
        return;
    QChar *out = text.data();
    const QChar *in = out;
    const QChar *end = in + text.size();
    while (in < end) {
        QChar c = *in++;
        if (c == QLatin1Char('\r')) {
            c = QLatin1Char('\n');
            if (in < end && *in == QLatin1Char('\n'))
                ++in;
        }
        *out++ = c;
    }
    text.truncate(int(out - text.constData()));
}

} // namespace

QString DecodeTextFile(const QByteArray &bytes)
{
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        text = utf8.decode(QByteArrayView(bytes).sliced(3));
    } else {
        QStringDecoder gb("GB18030", QStringConverter::Flag::Stateless);
        if (gb.isValid()) {
            text = DecodeWhole(gb, bytes);
        } else {
            // Without a GB18030 converter the text still loads: ASCII stays
            // intact and every other byte is visibly replaced.
            text.reserve(bytes.size());
            for (char ch : bytes)
                text.append(uchar(ch) < 0x80 ? QChar(uchar(ch)) : QChar(QChar::ReplacementCharacter));
        }
    }
    UnifyLineBreaks(text);
    return text;
}

QByteArray EncodeTextFile(const QString &crlfText)
{
    QString text;
    text.reserve(crlfText.size() + 2);
    for (QChar c : crlfText) {
        switch (c.unicode()) {
        case QChar::ObjectReplacementCharacter:
            break;
        case '\v':
        case QChar::LineSeparator:
        case QChar::ParagraphSeparator:
            text.append(QLatin1String("\r\n"));
            break;
        default:
            text.append(c);
        }
    }
    text.append(QLatin1String("\r\n"));
    QStringEncoder gb("GB18030", QStringConverter::Flag::Stateless);
    if (gb.isValid())
        return gb.encode(text);
    return text.toLocal8Bit();
}

} // namespace lumora
