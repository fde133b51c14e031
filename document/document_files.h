#pragma once

#include "document/progress.h"
#include "document/text_codec.h"   // kMaxDocumentFileBytes

#include <QByteArray>
#include <QString>
#include <functional>

namespace lumora {

// Reads a whole regular file of at most kMaxDocumentFileBytes, or of at most
// kMaxRtfFileBytes when it is RTF (larger ones are refused before they are
// read).  The file is read to its end whatever size it reported: kernel
// files report 0, and a log may grow while it is read.  On failure returns
// false and sets *error to a Chinese sentence that names the file and the
// reason.  With progress, a large file is read in pieces with a call after each
// (a false from it abandons the read: false, with no reason).
bool ReadFileBytes(const QString &path, QByteArray *out, QString *error, const Progress &progress = {});

// A file's bytes in memory of their own, whose start can be given back to
// the system while the rest is still read: a large text file is decoded into
// the editor without its bytes and its text both whole in memory.
class FileBytes
{
public:
    FileBytes() = default;
    ~FileBytes();
    FileBytes(const FileBytes &) = delete;
    FileBytes &operator=(const FileBytes &) = delete;

    // The bytes, without a copy; valid while this lives and is not resized.
    const QByteArray &Bytes() const { return m_bytes; }
    qint64 Size() const { return m_size; }
    char *Data() { return m_data; }
    bool Resize(qint64 size);
    // The bytes before offset are not read again: their memory goes back.
    void ReleaseBefore(qint64 offset);

private:
    char *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_mapped = 0;
    qint64 m_released = 0;
    QByteArray m_bytes;
};

// The same into FileBytes.
bool ReadFileBytes(const QString &path, FileBytes *out, QString *error, const Progress &progress = {});

// Writes a whole file atomically: the data goes to a temporary file beside
// it that replaces the old file only once everything is written, so a failed
// save leaves the old file whole; the new file keeps the old one's owner,
// group, mode and extended attributes where this process may set them.  A
// file with other names (hard links), or in a folder that refuses the
// replacement, is written in place instead: its old content is written back
// if the new cannot be written whole, and the message says which happened.
// A device is written in place without waiting on it; a pipe or socket is
// refused (nobody may be reading it), and so is a symbolic link that loops.
// Returns true only when every byte was written.  On failure sets *error as
// above.
bool WriteFileAtomically(const QString &path, const QByteArray &data, QString *error);

// Writes a document file (RTF or text) as WriteFileAtomically does, but only
// when ReadFileBytes would read it back: a larger one is refused with the
// reason and the old file left as it is.  The limit is the one for the
// data's kind, or `limit` where that is given.
bool WriteDocumentBytes(const QString &path, const QByteArray &data, QString *error, qint64 limit = 0);

// The same for a document whose bytes come in pieces (the source calls put
// for each in order and stops when put returns false), so that a large file
// never exists whole in memory where the old file is replaced; where it must
// be written otherwise (a device, a file with other names) the pieces are
// gathered first.  limit: the kind's limit (kMaxRtfFileBytes for RTF).
using DocumentPieces = std::function<bool(const std::function<bool(QByteArrayView)> &put)>;
bool WriteDocumentPieces(const QString &path, const DocumentPieces &source, qint64 limit, QString *error);

// Writes the editor's plain text (CR LF line breaks) as a GBK text file,
// followed by one CR LF, atomically (see EncodeTextFile).
bool WriteTextFile(const QString &path, const QString &crlfText, QString *error);

} // namespace lumora
