#pragma once

#include <QByteArrayView>

namespace lumora {

// The control words the reader acts on.  Everything else is ignored, except
// the destinations listed under SkipDest, whose groups are skipped whole.
enum class RtfKw {
    None,
    // document
    Rtf, Ansicpg, Mac, Pc, Pca, Deff, Uc, U,
    // destinations
    Fonttbl, Colortbl, Pict, Shppict, Nonshppict, SkipDest,
    // destinations the document does not keep, but notes
    Footnote, Header, Footer, Annotation,
    // font and colour tables
    Fcharset, Cpg, Red, Green, Blue,
    // character format
    Plain, B, I, Ul, Ulnone, Strike, V, F, Fs, Cf,
    // associated character properties and the character types they follow
    Af, Afs, Ab, Ai, Loch, Hich, Dbch, Rtlch, Ltrch,
    // paragraphs and breaks
    Par, Pard, Line, Cell, Row, Sect, Ql, Qc, Qr, Qj,
    // characters
    Tab, Emdash, Endash, Bullet, Lquote, Rquote, Ldblquote, Rdblquote, Emspace, Enspace,
    Qmspace, Zwj, Zwnj, Ltrmark, Rtlmark,
    // pictures
    Pngblip, Jpegblip, Dibitmap, Wbitmap, Wmetafile, Emfblip, Macpict, Pmmetafile, Picw, Pich,
    Picwgoal, Pichgoal, Picscalex, Picscaley, Wbmbitspixel, Wbmplanes, Wbmwidthbytes,
    // shapes, read for their pictures
    Shp, Shpinst, Shprslt, Sp, Sn, Sv,
};

RtfKw LookupRtfKeyword(QByteArrayView name);

// For the characters a control word stands for (\tab, \emdash, ...): the
// character, else 0.
char16_t RtfKeywordChar(RtfKw kw);

} // namespace lumora
