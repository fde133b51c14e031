#pragma once

// What a path names, and the reasons in Chinese why it cannot be read or
// written, shared by the document and picture commands.

#include <QString>
#include <sys/stat.h>

class QFile;
class QFileInfo;

namespace lumora {

// A file name or command-line argument as text: UTF-8 where its bytes are
// valid UTF-8, and every other byte b as the lone surrogate U+DC00 + b,
// which valid text never holds, so that EncodeArgument gives back exactly the
// bytes given.  Qt 6 spells every file name as UTF-8 and cannot reach the
// others; the functions here take paths in this form.
QString DecodeArgument(const QByteArray &bytes);
QByteArray EncodeArgument(const QString &argument);

// Whether Qt's own file functions reach the file the path names.
bool QtReaches(const QString &path);

// The path as Qt would show it: U+FFFD for each byte that is not UTF-8.
QString ShownPath(const QString &path);

// What stat() says about a path; err is its errno when the path gives no file.
struct PathState
{
    bool exists = false;
    int err = 0;
    struct stat st = {};
};

PathState Stat(const QString &path);

// Reasons the path itself gives before any folder or file is looked at
// (too long, a loop of links); empty for the others.
QString PathReason(int err);

// Why an existing or missing path could not be opened for reading.
QString OpenReason(const QFileInfo &fi);

// Opens a regular file for reading.  A folder, pipe, socket or device is
// refused with the reason Open gives, and never opened in a way that waits:
// opening a pipe for reading blocks until somebody writes to it.  *st gets
// what the opened file is.  On failure *reason is a short Chinese reason.
bool OpenForReading(const QString &path, QFile *file, struct stat *st, QString *reason);

} // namespace lumora
