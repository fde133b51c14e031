#pragma once

// The ways a save puts its bytes into the file system.  Each returns false
// with a short Chinese reason on failure.

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <functional>
#include <sys/stat.h>

namespace lumora {

extern const char kPipeReason[];

// A short Chinese reason for a failed save, from what failed and errno.
QString SaveReason(const QString &path, QFileDevice::FileError err, int savedErrno);

// A device cannot be replaced by a renamed temporary file (that would
// replace the device node itself); it is written in place, opened without
// waiting: a device that is not ready is refused, not waited for.
bool WriteToDevice(const QString &path, const QByteArray &data, QString *reason);

// Writes a temporary file beside the old one that replaces it once whole.
// The new file takes the old one's owner, group, mode and extended
// attributes (access control lists and security labels among them) where
// this process may set them; `old` is what stat said of the old file, if any.
bool WriteReplacing(const QString &path, const QByteArray &data, const struct stat *old, QString *reason);

// Bytes that come in pieces: the source calls put for each in order and
// stops when put returns false; it returns false if it stopped.
using BytePut = std::function<bool(QByteArrayView)>;
using ByteSource = std::function<bool(const BytePut &put)>;

// The same with the bytes taken from source piece by piece.  More than
// limit bytes are not written: the old file stays, *reason is left empty
// and *total says how many bytes the source gave.
bool WriteReplacing(const QString &path, const ByteSource &source, const struct stat *old, qint64 limit,
                    qint64 *total, QString *reason);

// Whether the old file must be written in place rather than replaced: it
// has other names (a replacement would split them), its name is not one Qt
// can spell (see DecodeArgument), or its folder lets this process neither
// create the temporary file nor rename it over the old one.
bool MustWriteInPlace(const QString &path, const struct stat &old);

enum class InPlaceResult { Written, Untouched, Restored, Damaged };

// Writes over the old file itself, which keeps its other names, owner and
// attributes.  The old content is read first; room for the new is reserved
// where the file system can promise it, and if the new content still cannot
// be written whole, the old goes back (Restored) or could not (Damaged).
InPlaceResult WriteInPlace(const QString &path, const QByteArray &data, QString *reason);

} // namespace lumora
