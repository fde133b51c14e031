#pragma once

#include "document/ole_color.h"

#include <QHash>
#include <QString>
#include <QVector>

namespace lumora {

// The face and size of text that names none of its own: the editing area's
// "宋体" 9 point.
inline const QString kDefaultFamily = QStringLiteral("宋体");
inline constexpr int kDefaultHalfPoints = 18;

// How a stretch of characters looks.  An empty family and a zero size stand
// for the document's default; no colour is "automatic", no colour of its own.
struct CharFormat
{
    QString family;
    int halfPoints = 0;
    std::optional<OleColor> color = std::nullopt;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int picture = -1;    // on a U+FFFC: the document's picture it shows

    friend bool operator==(const CharFormat &a, const CharFormat &b)
    {
        return a.family == b.family && a.halfPoints == b.halfPoints && a.color == b.color && a.bold == b.bold
            && a.italic == b.italic && a.underline == b.underline && a.strike == b.strike && a.picture == b.picture;
    }
    friend bool operator!=(const CharFormat &a, const CharFormat &b) { return !(a == b); }
};

size_t qHash(const CharFormat &f, size_t seed = 0);

// The distinct formats of one document, each numbered once; number 0 is the
// plain default format.  Text refers to formats by number, so a million
// coloured runs share a handful of formats.
class FormatTable
{
public:
    FormatTable();

    int Id(const CharFormat &f);
    const CharFormat &At(int id) const { return m_formats[id]; }
    int Count() const { return int(m_formats.size()); }

    // The format id with another colour; cached, since a colouring pass asks
    // the same question for every run it touches.
    int WithColor(int id, std::optional<OleColor> color);
    // What text typed next to a picture takes: its look without the picture.
    int WithoutPicture(int id);

private:
    QVector<CharFormat> m_formats;
    QHash<CharFormat, int> m_ids;
    QHash<quint64, int> m_recolored;
};

} // namespace lumora
