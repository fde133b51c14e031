#pragma once

#include "document/document.h"

#include <QByteArray>
#include <QString>

namespace lumora {

// The stretch [from, to) of a document as HTML for a <pre> block: each run
// of a format a <span> with its colour and styles, pictures inline as data:
// URLs of their PNG or JPEG data, "<", ">" and "&" escaped, paragraph and
// soft line breaks as line feeds.  A stretch that begins with a line break
// begins with one line feed more, which an HTML reader drops right after
// <pre>, so that the first empty line survives.
QString HtmlBody(const Document &doc, int from, int to);

// The whole document as one self-contained UTF-8 HTML page: the body above
// in a <pre> in a monospace face with Chinese faces to fall back on, black
// on white.  A run that names its own face falls back on the same faces.
// The title is escaped.
QByteArray WriteHtmlPage(const Document &doc, const QString &title);

} // namespace lumora
