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
    // font and colour tables
    Fcharset, Cpg, Red, Green, Blue,
    // character format
    Plain, B, I, Ul, Ulnone, Strike, V, F, Fs, Cf,
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
