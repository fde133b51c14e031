#pragma once

// What a path names, and the reasons in Chinese why it cannot be read or
// written, shared by the document and picture commands.

#include <QString>
#include <sys/stat.h>

class QFile;
class QFileInfo;

namespace lumora {

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
