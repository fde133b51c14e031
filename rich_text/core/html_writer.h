#pragma once

#include "document.h"

#include <QString>

namespace lumora {

// The stretch [from, to) of a document as HTML for a <pre> block: each run
// of a format a <span> with its colour and styles, pictures inline as data:
// PNG, "<", ">" and "&" escaped, paragraph breaks as line feeds.
QString HtmlBody(const Document &doc, int from, int to);

} // namespace lumora
