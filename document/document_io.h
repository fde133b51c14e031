#pragma once

#include "document/document.h"
#include "document/progress.h"
#include "document/text_store.h"

#include <QByteArray>
#include <QString>

namespace lumora {

// The bytes of a document file as a document: RTF content as rich text,
// anything else as plain text.  On RTF that yields nothing readable returns
// false with a short Chinese reason.  Progress counts bytes read.
bool ReadDocument(const QByteArray &bytes, Document *doc, QString *error, const Progress &progress = {});

// Reads a document file by name; the reason on failure names the file.
// `isRtf`, when given, tells which kind the file was: Save writes a file
// back in the kind it was opened in.
bool ReadDocumentFile(const QString &path, Document *doc, QString *error, const Progress &progress = {},
                      bool *isRtf = nullptr);

// The same, for the editing area: the text, runs and formats go into
// *text, the rest of the document into *doc.  A plain-text file is decoded
// straight into the store, piece by piece, so that its text never exists
// whole beside it.
bool ReadDocumentFile(const QString &path, Document *doc, TextStore *text, QString *error,
                      const Progress &progress = {}, bool *isRtf = nullptr);

// What the user is told after opening a file with parts the document does
// not keep (Document::omitted): which kinds, and that a save will not
// contain them.  Empty when nothing was left out.
QString OmittedPartsNotice(quint8 omitted);

// Writes a document atomically, as RTF or as a GBK text file (its plain
// text and one CR LF more).
bool WriteDocumentFile(const QString &path, const Document &doc, bool asRtf, QString *error);

} // namespace lumora
