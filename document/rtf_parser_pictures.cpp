// The parser's pictures: \pict groups, and the shapes that hold floating
// pictures; the groups and other control words are in rtf_parser.cpp.
#include "document/rtf_parser.h"

#include <QCryptographicHash>

namespace lumora {

void RtfParser::OnPictureWord(RtfKw kw, const RtfToken &t)
{
    const int p = t.param;
    // The last kind named counts, with its own number (kinds without one
    // take none from an earlier word).
    const auto kind = [&](Picture::Kind k, bool numbered) {
        m_pic.kind = k;
        m_pic.kindParam = numbered && t.hasParam ? p : -1;
    };
    switch (kw) {
    case RtfKw::Pngblip: kind(Picture::Png, false); break;
    case RtfKw::Jpegblip: kind(Picture::Jpeg, false); break;
    case RtfKw::Dibitmap: kind(Picture::Dib, true); break;
    case RtfKw::Wbitmap: kind(Picture::Wbitmap, true); break;
    case RtfKw::Wmetafile: kind(Picture::Wmf, true); break;
    case RtfKw::Emfblip: kind(Picture::Emf, false); break;
    case RtfKw::Macpict: kind(Picture::Macpict, false); break;
    case RtfKw::Pmmetafile: kind(Picture::Pmmetafile, true); break;
    case RtfKw::Picw: m_pic.picw = p; break;
    case RtfKw::Pich: m_pic.pich = p; break;
    case RtfKw::Picwgoal: m_pic.goalw = p; break;
    case RtfKw::Pichgoal: m_pic.goalh = p; break;
    case RtfKw::Picscalex: m_pic.scalex = p; break;
    case RtfKw::Picscaley: m_pic.scaley = p; break;
    case RtfKw::Wbmbitspixel: m_pic.bitsPixel = p; break;
    case RtfKw::Wbmplanes: m_pic.planes = p; break;
    case RtfKw::Wbmwidthbytes: m_pic.widthBytes = p; break;
    default: break;
    }
}

// A floating picture is a shape, {\shp{\*\shpinst ...{\sp{\sn pib}{\sv
// {\pict ...}}}}{\shprslt ...}}: its properties name the picture, and the
// result repeats it (or a drawing of it) for readers without shapes.  One
// of the two is read: the picture, else the result.  Everywhere else the
// property groups are skipped, as before.  False for other words.
bool RtfParser::OnShapeWord(RtfKw kw)
{
    Group &g = Top();
    const bool inShape = g.dest == Dest::Shape;
    switch (kw) {
    case RtfKw::Shp:
        m_star = false;
        g.shapePictures = m_out.PictureCount();
        return true;
    case RtfKw::Shpinst:
        if (g.dest != Dest::Body && !inShape)
            return false;
        m_star = false;
        g.dest = Dest::Shape;
        m_shapeProperty.clear();
        return true;
    case RtfKw::Shprslt:
        m_star = false;
        if (m_stack.size() > 1) {
            const int before = m_stack[m_stack.size() - 2].shapePictures;
            if (before >= 0 && m_out.PictureCount() > before)
                SkipRestOfGroup();
        }
        return true;
    case RtfKw::Sp:
    case RtfKw::Sv:
        m_star = false;
        if (!inShape)
            SkipRestOfGroup();
        return true;
    case RtfKw::Sn:
        m_star = false;
        if (!inShape) {
            SkipRestOfGroup();
        } else {
            g.dest = Dest::ShapeName;
            m_shapeProperty.clear();
        }
        return true;
    case RtfKw::Pict:
        if (!inShape)
            return false;
        // Other properties (a fill's texture) hold pictures that are no
        // picture of the document.
        if (m_shapeProperty == "pib")
            StartPicture();
        else
            SkipRestOfGroup();
        return true;
    default:
        return false;
    }
}

void RtfParser::StartPicture()
{
    Group &g = Top();
    m_picFormat = CurrentFormat();
    g.dest = Dest::Picture;
    g.pictOwner = true;
    m_pic = RtfPictureInfo{};
    m_picData.clear();
    m_nibble = -1;
    m_picTooBig = false;
}

void RtfParser::PictureHex(QByteArrayView data)
{
    if (m_picTooBig)
        return;
    if (m_picData.size() + data.size() / 2 > kMaxRtfPictureBytes) {
        m_picTooBig = true;
        m_picData.clear();
        return;
    }
    for (char ch : data) {
        const int v = HexValue(ch);
        if (v < 0)
            continue;
        if (m_nibble < 0) {
            m_nibble = v;
        } else {
            m_picData.append(char(m_nibble << 4 | v));
            m_nibble = -1;
        }
    }
}

// Every picture is kept with its data and kind, so that a save writes it
// back as it came; one we cannot decode shows as a box of its size.
// Pictures with the same data are decoded once: a note that pastes one
// screenshot a hundred times holds one image.
void RtfParser::FinishPicture()
{
    QByteArray data;
    data.swap(m_picData);
    if (m_picTooBig || data.isEmpty() || m_out.PictureBytes() > kMaxTotalPictureBytes)
        return;
    // What the picture is besides its data: for PNG and JPEG the kind,
    // for the others also what decoding or writing back depends on.
    const int layout[] = {int(m_pic.kind), m_pic.kindParam, m_pic.picw, m_pic.pich,
                          m_pic.bitsPixel, m_pic.planes, m_pic.widthBytes};
    const bool selfContained = m_pic.kind == Picture::Png || m_pic.kind == Picture::Jpeg;
    QByteArray key(reinterpret_cast<const char *>(layout), selfContained ? sizeof(int) : sizeof layout);
    key += QCryptographicHash::hash(data, QCryptographicHash::Sha256);
    Picture pic;
    if (const int known = m_out.PictureWithKey(key); known >= 0) {
        pic = m_out.PictureAt(known);
    } else {
        pic.image = DecodeRtfPicture(m_pic, data);
        pic.data = data;
        pic.kind = m_pic.kind;
        pic.kindParam = m_pic.kindParam;
        pic.storedWidth = m_pic.picw;
        pic.storedHeight = m_pic.pich;
        pic.bitsPixel = m_pic.bitsPixel;
        pic.planes = m_pic.planes;
        pic.widthBytes = m_pic.widthBytes;
    }
    const QSizeF size = RtfPictureDisplaySize(m_pic, pic.image);
    pic.width = size.width();
    pic.height = size.height();
    m_out.AppendPicture(key, std::move(pic), m_picFormat);
}

} // namespace lumora
