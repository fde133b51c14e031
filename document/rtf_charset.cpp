#include "document/rtf_charset.h"

#include <QStringDecoder>

#include <array>
#include <map>

namespace lumora {

int CodePageOfCharset(int charset)
{
    switch (charset) {
    case 0: case 1: case 2: return 1252;   // ANSI, default, symbol
    case 77: return 10000;                 // Mac Roman
    case 78: case 128: return 932;         // Shift-JIS
    case 79: case 129: return 949;         // Korean
    case 80: case 134: return 936;         // GBK
    case 81: case 136: return 950;         // Big5
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;
    }
}

namespace {

const char *ConverterName(int codePage)
{
    switch (codePage) {
    case 936: return "windows-936";
    case 950: return "windows-950";
    case 932: return "windows-932";
    case 949: return "windows-949";
    case 874: return "windows-874";
    case 10000: return "macintosh";
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 866: return "IBM866";
    case 54936: return "GB18030";
    case 65001: return "UTF-8";
    default: break;
    }
    if (codePage >= 1250 && codePage <= 1258) {
        static const char *names[] = {"windows-1250", "windows-1251", "windows-1252",
                                      "windows-1253", "windows-1254", "windows-1255",
                                      "windows-1256", "windows-1257", "windows-1258"};
        return names[codePage - 1250];
    }
    return nullptr;
}

bool AllAscii(QByteArrayView bytes)
{
    for (char c : bytes)
        if (uchar(c) >= 0x80)
            return false;
    return true;
}

} // namespace

struct CodePageDecoder::Cache
{
    std::map<int, QStringDecoder> decoders;

    QStringDecoder *For(int codePage)
    {
        auto it = decoders.find(codePage);
        if (it == decoders.end()) {
            const char *name = ConverterName(codePage);
            QStringDecoder d(name ? name : "windows-1252", QStringConverter::Flag::Stateless);
            if (!d.isValid())
                d = QStringDecoder("windows-1252", QStringConverter::Flag::Stateless);
            it = decoders.emplace(codePage, std::move(d)).first;
        }
        return it->second.isValid() ? &it->second : nullptr;
    }
};

bool CodePageKnown(int codePage) { return ConverterName(codePage) != nullptr; }

CodePageDecoder::CodePageDecoder() : m_cache(std::make_unique<Cache>()) {}
CodePageDecoder::~CodePageDecoder() = default;

void CodePageDecoder::Decode(int codePage, QByteArrayView bytes, QString *out)
{
    if (bytes.isEmpty())
        return;
    // Every code page we read agrees with ASCII below 0x80.
    if (AllAscii(bytes)) {
        out->append(QLatin1String(bytes.data(), bytes.size()));
        return;
    }
    QStringDecoder *d = m_cache->For(codePage);
    if (!d) {
        out->append(QString::fromLatin1(bytes.data(), bytes.size()));
        return;
    }
    // A stateless converter silently drops a lead byte left at the end; a
    // final line feed forces it out as U+FFFD and is dropped again.
    QByteArray padded(bytes.data(), bytes.size());
    padded.append('\n');
    QString text = d->decode(padded);
    text.chop(1);
    // Some converters substitute SUB (0x1A) rather than U+FFFD.
    for (QChar &c : text)
        if (c.unicode() == 0x1A)
            c = QChar(QChar::ReplacementCharacter);
    out->append(text);
}

namespace {

// Windows-936 two-byte codes by BMP character, built once from the decoder
// so that writing needs no converter call per character.
struct GbkTable
{
    std::array<quint16, 0x10000> code{};

    GbkTable()
    {
        QStringDecoder d("windows-936", QStringConverter::Flag::Stateless);
        if (!d.isValid())
            return;
        char pair[2];
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F)
                    continue;
                pair[0] = char(lead);
                pair[1] = char(trail);
                const QString s = d.decode(QByteArrayView(pair, 2));
                if (s.size() != 1 || s[0] == QChar(QChar::ReplacementCharacter) || s[0].unicode() < 0x80)
                    continue;
                quint16 &slot = code[s[0].unicode()];
                if (!slot)
                    slot = quint16(lead << 8 | trail);
            }
        }
    }
};

} // namespace

quint16 GbkCodeOf(char16_t ch)
{
    static const GbkTable table;
    return ch < 0x80 ? 0 : table.code[ch];
}

} // namespace lumora
