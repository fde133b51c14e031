#include "document/text_codec.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace lumora {

namespace {

// Conversions run over slices of this many bytes or characters.  The
// conversion library counts in 32 bits and gives nothing back for calls
// past 512 MB; slices keep it far from that and keep scratch space small.
constexpr qsizetype kSlice = 64 * 1024;

enum class Encoding { Gb18030, Utf8, Utf16Le, Utf16Be };

struct Source
{
    Encoding encoding;
    qsizetype markBytes;   // the byte-order mark, dropped
};

enum class Utf8Kind { Ascii, Utf8, Invalid };

// The first byte at or after p that is not ASCII, or end: eight at a time.
const uchar *SkipAscii(const uchar *p, const uchar *end)
{
    while (end - p >= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL)
            break;
        p += 8;
    }
    while (p < end && *p < 0x80)
        ++p;
    return p;
}

// Strict UTF-8: shortest forms only, no surrogates, nothing past U+10FFFF.
Utf8Kind ClassifyUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const auto *end = p + bytes.size();
    bool wide = false;
    while ((p = SkipAscii(p, end)) < end) {
        const uchar lead = *p;
        int more = 0;
        char32_t c = 0;
        if (lead >= 0xC2 && lead <= 0xDF)
            more = 1, c = lead & 0x1F;
        else if (lead >= 0xE0 && lead <= 0xEF)
            more = 2, c = lead & 0x0F;
        else if (lead >= 0xF0 && lead <= 0xF4)
            more = 3, c = lead & 0x07;
        else
            return Utf8Kind::Invalid;
        if (end - p <= more)
            return Utf8Kind::Invalid;
        for (int i = 1; i <= more; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return Utf8Kind::Invalid;
            c = (c << 6) | (p[i] & 0x3F);
        }
        if ((more == 2 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) || (more == 3 && (c < 0x10000 || c > 0x10FFFF)))
            return Utf8Kind::Invalid;
        p += more + 1;
        wide = true;
    }
    return wide ? Utf8Kind::Utf8 : Utf8Kind::Ascii;
}

// Whole code units, every surrogate in a pair.
bool IsValidUtf16(QByteArrayView bytes, bool bigEndian)
{
    if (bytes.size() % 2)
        return false;
    bool wantLow = false;
    for (qsizetype i = 0; i < bytes.size(); i += 2) {
        const uchar a = uchar(bytes[i]), b = uchar(bytes[i + 1]);
        const char16_t unit = bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a);
        if (QChar::isLowSurrogate(unit) != wantLow)
            return false;
        wantLow = QChar::isHighSurrogate(unit);
    }
    return !wantLow;
}

// A mark decides only when what follows it is valid in its encoding: GBK
// text may begin with the bytes EF BB BF ("锘" and a lead byte).
Source Detect(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE") && IsValidUtf16(bytes.sliced(2), false))
        return {Encoding::Utf16Le, 2};
    if (bytes.startsWith("\xFE\xFF") && IsValidUtf16(bytes.sliced(2), true))
        return {Encoding::Utf16Be, 2};
    if (ClassifyUtf8(bytes) == Utf8Kind::Utf8)
        return {Encoding::Utf8, bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0};
    return {Encoding::Gb18030, 0};
}

// Stateful decoders: a sequence may straddle two slices.  The mark is
// already cut off, so a second one is a character and stays.
QStringDecoder MakeDecoder(Encoding encoding)
{
    const auto keepMark = QStringConverter::Flag::ConvertInitialBom;
    switch (encoding) {
    case Encoding::Utf8:
        return QStringDecoder(QStringConverter::Utf8, keepMark);
    case Encoding::Utf16Le:
        return QStringDecoder(QStringConverter::Utf16LE, keepMark);
    case Encoding::Utf16Be:
        return QStringDecoder(QStringConverter::Utf16BE, keepMark);
    case Encoding::Gb18030:
        break;
    }
    return QStringDecoder("GB18030");
}

QChar *DecodeSlice(QStringDecoder &decoder, QChar *out, QByteArrayView in)
{
    if (decoder.isValid())
        return decoder.appendToBuffer(out, in);
    // Without a GB18030 converter the text still loads: ASCII stays intact
    // and every other byte is visibly replaced.
    for (char ch : in)
        *out++ = uchar(ch) < 0x80 ? QChar(uchar(ch)) : QChar(QChar::ReplacementCharacter);
    return out;
}

inline char16_t Unit(QChar c) { return c.unicode(); }
inline char16_t Unit(char c) { return uchar(c); }

// Hands decoded characters on in pieces, every line break as CR LF.  A
// CR LF pair may arrive split over two slices, so whether the last
// character was a CR is carried over; it may leave in two pieces too.
class CrLfWriter
{
public:
    explicit CrLfWriter(const TextSink &sink) : m_sink(sink), m_buffer(kBuffer, Qt::Uninitialized) {}

    template <typename Ch>
    void Put(const Ch *in, const Ch *end)
    {
        for (; end - in > kBuffer / 2; in += kBuffer / 2)
            PutSome(in, in + kBuffer / 2);
        PutSome(in, end);
    }
    qsizetype Taken() const { return m_taken; }
    void Flush()
    {
        if (m_size > 0)
            m_sink(QStringView(m_buffer.constData(), m_size));
        m_size = 0;
    }

private:
    // Every character may become two (a lone CR or LF): kBuffer / 2 at most.
    static constexpr qsizetype kBuffer = 256 * 1024;

    template <typename Ch>
    void PutSome(const Ch *in, const Ch *end)
    {
        m_taken += end - in;
        if (m_size + 2 * (end - in) > kBuffer)
            Flush();
        QChar *out = m_buffer.data() + m_size;
        while (in < end) {
            // The stretch up to the next line break is copied in one tight loop.
            const Ch *stop = in;
            while (stop < end && Unit(*stop) != u'\r' && Unit(*stop) != u'\n')
                ++stop;
            if (stop > in)
                m_afterCr = false;
            for (; in < stop; ++in)
                *out++ = QChar(Unit(*in));
            if (in == end)
                break;
            const char16_t c = Unit(*in++);
            if (c == u'\r' || !m_afterCr) {
                *out++ = QLatin1Char('\r');
                *out++ = QLatin1Char('\n');
            }
            m_afterCr = c == u'\r';
        }
        m_size = out - m_buffer.constData();
    }

    const TextSink &m_sink;
    QString m_buffer;
    qsizetype m_size = 0;
    qsizetype m_taken = 0;
    bool m_afterCr = false;
};

// GB18030 bytes into the writer.  The general decoder is slow, and most
// text is ASCII.  No GB18030 sequence holds two ASCII bytes side by side,
// so once the decoder has taken two of them it holds nothing back, and a
// long run of ASCII after them is copied as it is; the decoder then goes on
// exactly as if it had read the run itself.
//
// The decoder's room for output is counted from its input alone (two
// characters a byte), but up to three bytes it held back from the call
// before come out too: a call after one that may have held bytes back gets
// at least three bytes.
// How much input is decoded between two yields.
constexpr qsizetype kYieldBytes = 2 * 1024 * 1024;

bool DecodeGb18030(QStringDecoder &decoder, QByteArrayView in, QChar *scratch, CrLfWriter &writer,
                   const Progress &progress)
{
    constexpr qsizetype kCopied = 32;   // ASCII worth copying past the decoder
    constexpr qsizetype kHeldAtMost = 3;
    const auto *b = reinterpret_cast<const uchar *>(in.data());
    const qsizetype n = in.size();
    qsizetype from = 0, ascii = 0;
    bool held = false;   // the last call may have ended inside a sequence
    qsizetype nextYield = kYieldBytes;
    const auto decode = [&](qsizetype upTo) {
        writer.Put(scratch, DecodeSlice(decoder, scratch, in.sliced(from, upTo - from)));
        from = upTo;
        ascii = 0;
    };
    for (qsizetype i = 0; i < n;) {
        ascii = b[i++] < 0x80 ? ascii + 1 : 0;
        if (ascii == 2 + kCopied && (!held || i - kCopied - from >= kHeldAtMost)) {
            decode(i - kCopied);
            held = false;
            i = SkipAscii(b + i, b + std::min(n, i + kYieldBytes)) - b;
            writer.Put(in.data() + from, in.data() + i);
            from = i;
        } else if (i - from >= kSlice && n - i >= kHeldAtMost) {
            decode(i);
            held = true;
        }
        if (progress && i >= nextYield) {
            nextYield = i + kYieldBytes;
            if (!progress(i, n))
                return false;
        }
    }
    decode(n);
    // An incomplete sequence at the very end is still held back; line feeds
    // after it bring it out as U+FFFD, and are dropped again.
    static const char kFlush[] = "\n\n\n\n";
    constexpr int kFlushBytes = sizeof kFlush - 1;
    const QChar *end = DecodeSlice(decoder, scratch, kFlush);
    if (end - scratch >= kFlushBytes && std::all_of(end - kFlushBytes, end, [](QChar c) { return c == u'\n'; }))
        end -= kFlushBytes;
    writer.Put(scratch, end);
    return true;
}

bool Fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

} // namespace

QString TooLargeReason(qint64 limitBytes)
{
    return QStringLiteral("文件太大（超过 %1 MB）").arg(limitBytes / (1024 * 1024));
}

bool DecodeTextFile(const QByteArray &bytes, const TextSink &sink, QString *error, const Progress &progress)
{
    if (bytes.size() > kMaxDocumentFileBytes)
        return Fail(error, TooLargeReason(kMaxDocumentFileBytes));
    const Source source = Detect(bytes);
    const QByteArrayView payload = QByteArrayView(bytes).sliced(source.markBytes);
    const bool utf16 = source.encoding == Encoding::Utf16Le || source.encoding == Encoding::Utf16Be;
    QStringDecoder decoder = MakeDecoder(source.encoding);

    CrLfWriter writer(sink);
    const qsizetype sliceBytes = std::min(kSlice + 8, payload.size());
    QString scratch(std::max(decoder.requiredSpace(sliceBytes), sliceBytes) + 8, Qt::Uninitialized);
    if (source.encoding == Encoding::Gb18030) {
        if (!DecodeGb18030(decoder, payload, scratch.data(), writer, progress))
            return false;
    } else {
        for (qsizetype at = 0; at < payload.size(); at += kSlice) {
            const QByteArrayView slice = payload.sliced(at, std::min(kSlice, payload.size() - at));
            writer.Put(scratch.constData(), DecodeSlice(decoder, scratch.data(), slice));
            if (progress && (at / kSlice) % (kYieldBytes / kSlice) == 0 && at > 0 && !progress(at, payload.size()))
                return false;
        }
    }
    writer.Flush();
    // No encoding here takes more than four bytes (UTF-16: two) for a character.
    const qsizetype fewest = utf16 ? payload.size() / 2 : (payload.size() + 3) / 4;
    if (writer.Taken() < fewest)
        return Fail(error, QStringLiteral("文件中的文字没能完整转换"));
    return true;
}

bool DecodeTextFile(const QByteArray &bytes, QString *out, QString *error, const Progress &progress)
{
    // Room for the whole text at once: a byte gives at most one character,
    // and only line-break bytes can grow into CR LF.
    const qsizetype breaks = std::count_if(bytes.begin(), bytes.end(), [](char c) { return c == '\n' || c == '\r'; });
    QString text;
    text.reserve(std::min(bytes.size(), kMaxDocumentFileBytes) + breaks + 4);
    const TextSink append = [&text](QStringView piece) { text.append(piece); };
    if (!DecodeTextFile(bytes, append, error, progress))
        return false;
    // Giving back a few percent is not worth copying a large text.
    if (text.capacity() - text.size() > text.size() / 8)
        text.squeeze();
    *out = std::move(text);
    return true;
}

} // namespace lumora
