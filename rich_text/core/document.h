#pragma once

#include "char_format.h"
#include "run_list.h"

#include <QByteArray>
#include <QImage>
#include <QPair>
#include <QString>
#include <QVector>
#include <functional>

namespace lumora {

// A picture in a document.  The encoded data read from a file is kept and
// written back as it was, so a picture costs its compressed size, not its
// pixels, when it is saved; identical pictures share one image.
struct Picture
{
    enum Kind : quint8 { Png, Jpeg };
    QImage image;          // what is shown
    QByteArray data;       // the encoded picture; empty: encode the image as PNG when writing
    Kind kind = Png;
    double width = 0;      // display size, pixels at 96 dpi
    double height = 0;
};

enum class Align : quint8 { Left, Center, Right, Justify };

// Called now and then during long reading or decoding work, so that a window
// can repaint; returning false abandons the work.
using WorkYield = std::function<bool()>;

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
