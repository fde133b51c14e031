#pragma once

class QTextDocument;

namespace lumora {

struct Document;

// The bridge between the document model and the Qt document the editing
// area still shows.  Each direction is one pass.

// Replaces qtDoc's content with the document: one edit block with undo off,
// so the undo stack is left empty; pictures become image resources that
// also keep their encoded data, so that saving writes it back unchanged.
// Characters a Qt document cannot hold as characters (U+2029, U+FDD0,
// U+FDD1) show as U+FFFD.
void FillQtDocument(const Document &doc, QTextDocument *qtDoc);

// The Qt document as a model document: fragments become runs, image
// characters pictures at their display size; a paragraph break takes the
// format of the character before it.
Document DocumentFromQt(const QTextDocument &qtDoc);

} // namespace lumora
