#pragma once

#include "document/char_format.h"
#include "document/run_list.h"

#include <QByteArray>
#include <QImage>
#include <QPair>
#include <QString>
#include <QVector>

namespace lumora {

// A picture in a document.  The encoded data read from a file is kept and
// written back as it was, in its own kind, so a picture costs its
// compressed size, not its pixels, when it is saved, and a drawing we
// cannot show (a vector metafile) survives a save; identical pictures
// share one image.
struct Picture
{
    // The kinds RTF names; Unknown is data that came without a kind.
    enum Kind : quint8 { Png, Jpeg, Dib, Wbitmap, Wmf, Emf, Macpict, Pmmetafile, Unknown };
    QImage image;          // what is shown; null: a framed box of the display size
    QByteArray data;       // the encoded picture; empty: encode the image as PNG when writing
    Kind kind = Png;
    double width = 0;      // display size, pixels at 96 dpi
    double height = 0;
    // What a reader needs besides the data, as the file gave it: the number
    // after the kind's word (a metafile's mapping mode; -1: none), the
    // stored size (metafiles: 0.01 mm, bitmaps: pixels; 0: not given) and a
    // raw bitmap's layout.
    int kindParam = -1;
    int storedWidth = 0, storedHeight = 0;
    int bitsPixel = 1, planes = 1, widthBytes = 0;
};

enum class Align : quint8 { Left, Center, Right, Justify };

// Parts of a file a document does not keep: read past when the file was
// opened, so a save does not contain them.
enum OmittedPart : quint8 {
    kOmittedFootnotes = 1,
    kOmittedHeaders = 2,
    kOmittedFooters = 4,
    kOmittedComments = 8,
};

// A whole document, without any widget: what the RTF and text readers
// produce, what the writers and the batch converter work on, and what the
// editing area keeps beside its display.
//
// Positions are those of the plain text the rest of the program counts in:
// every paragraph break is the two characters CR LF.  A soft line break is
// U+2028, a picture is U+FFFC whose format names the picture.  Both
// characters of a CR LF share one format, the paragraph break's.
struct Document
{
    QString text;
    FormatTable formats;
    RunList runs;                         // runs.Length() == text.size()
    QVector<Picture> pictures;
    QVector<QPair<int, Align>> aligns;    // paragraph number -> alignment, rising, non-left only
    quint8 omitted = 0;                   // OmittedPart flags of the file read

    // Plain text (CR LF breaks) in the default format.
    static Document FromText(QString crlfText);
};

} // namespace lumora
