#include "document/char_format.h"

namespace lumora {

size_t qHash(const CharFormat &f, size_t seed)
{
    const int flags = int(f.bold) | int(f.italic) << 1 | int(f.underline) << 2 | int(f.strike) << 3;
    return qHashMulti(seed, f.family, f.halfPoints, f.color ? qint64(*f.color) : -1, flags, f.picture);
}

FormatTable::FormatTable()
{
    Id(CharFormat{});
}

int FormatTable::Id(const CharFormat &f)
{
    const auto it = m_ids.constFind(f);
    if (it != m_ids.constEnd())
        return it.value();
    const int id = int(m_formats.size());
    m_formats.append(f);
    m_ids.insert(f, id);
    return id;
}

int FormatTable::WithColor(int id, std::optional<OleColor> color)
{
    if (m_formats[id].color == color)
        return id;
    const quint64 key = quint64(quint32(id)) << 33 | (color ? quint64(*color) + 1 : 0);
    const auto it = m_recolored.constFind(key);
    if (it != m_recolored.constEnd())
        return it.value();
    CharFormat f = m_formats[id];
    f.color = color;
    const int result = Id(f);
    m_recolored.insert(key, result);
    return result;
}

int FormatTable::WithoutPicture(int id)
{
    if (m_formats[id].picture < 0)
        return id;
    CharFormat f = m_formats[id];
    f.picture = -1;
    return Id(f);
}

} // namespace lumora
