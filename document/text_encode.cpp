// The editor's text written as a GBK text file.
#include "document/text_codec.h"

#include <QStringEncoder>

#include <algorithm>

namespace lumora {

namespace {

// The text is converted in slices of this many characters: the conversion
// library counts in 32 bits, and slices keep scratch space small.
constexpr qsizetype kSlice = 64 * 1024;

// One slice of the editor's text as the file stores it: pictures take no
// bytes, soft line breaks become CR LF.
void FileForm(QStringView in, QString &out)
{
    out.resize(2 * in.size());
    QChar *o = out.data();
    for (QChar c : in) {
        switch (c.unicode()) {
        case QChar::ObjectReplacementCharacter:
            break;
        case u'\v':
        case QChar::LineSeparator:
        case QChar::ParagraphSeparator:
            *o++ = QLatin1Char('\r');
            *o++ = QLatin1Char('\n');
            break;
        default:
            *o++ = c;
        }
    }
    out.truncate(o - out.constData());
}

// The editor's text into GB18030 bytes.  ASCII is copied as it is; the
// encoder, which is slow, sees the rest in pieces that end after a whole
// character, so that it never holds anything back between them.
class GbWriter
{
public:
    explicit GbWriter(qsizetype sizeHint)
    {
        if (!m_encoder.isValid())
            m_encoder = QStringEncoder(QStringConverter::System);
        m_bytes.reserve(sizeHint);
    }
    // A slice that ends in a high surrogate must be the text's last.
    void Put(QStringView in)
    {
        for (qsizetype i = 0, j = 0; i < in.size(); i = j) {
            while (j < in.size() && in[j].unicode() < 0x80)
                ++j;
            PutAscii(in.sliced(i, j - i));
            i = j;
            while (j < in.size() && in[j].unicode() >= 0x80)
                ++j;
            // The encoder would hold back a lone high surrogate: the next
            // character goes along to bring it out.
            if (j > i && j < in.size() && in[j - 1].isHighSurrogate())
                ++j;
            if (j > i)
                PutEncoded(in.sliced(i, j - i));
        }
    }
    void PutEncoded(QStringView in)
    {
        const qsizetype at = m_bytes.size();
        m_bytes.resize(at + m_encoder.requiredSpace(in.size()));
        const char *end = m_encoder.appendToBuffer(m_bytes.data() + at, in);
        m_bytes.truncate(end - m_bytes.constData());
        m_taken += in.size();
    }
    const QByteArray &Bytes() const { return m_bytes; }
    qsizetype Taken() const { return m_taken; }
    QByteArray Finish()
    {
        m_bytes.squeeze();
        return std::move(m_bytes);
    }

private:
    void PutAscii(QStringView in)
    {
        const qsizetype at = m_bytes.size();
        m_bytes.resize(at + in.size());
        char *out = m_bytes.data() + at;
        for (QChar c : in)
            *out++ = char(c.unicode());
        m_taken += in.size();
    }

    QStringEncoder m_encoder{"GB18030"};
    QByteArray m_bytes;
    qsizetype m_taken = 0;
};

} // namespace

bool EncodeTextFile(const QString &crlfText, QByteArray *out, QString *error)
{
    GbWriter writer(crlfText.size() + 2);
    QString slice;
    for (qsizetype at = 0; at < crlfText.size();) {
        qsizetype n = std::min(kSlice, crlfText.size() - at);
        if (at + n < crlfText.size() && crlfText[at + n - 1].isHighSurrogate())
            --n;   // a surrogate pair stays in one slice
        FileForm(QStringView(crlfText).sliced(at, n), slice);
        writer.Put(slice);
        at += n;
    }
    // Through the encoder: it also brings out a lone surrogate at the very end.
    writer.PutEncoded(u"\r\n");
    // Every character gives at least one byte (a surrogate pair gives four).
    if (writer.Bytes().size() < writer.Taken()) {
        if (error)
            *error = QStringLiteral("文字没能完整转换为 GBK 编码");
        return false;
    }
    *out = writer.Finish();
    return true;
}

} // namespace lumora
