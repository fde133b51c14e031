#include "file_paths.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace lumora {

PathState Stat(const QString &path)
{
    PathState s;
    errno = 0;
    s.exists = ::stat(QFile::encodeName(path).constData(), &s.st) == 0;
    s.err = s.exists ? 0 : errno;
    return s;
}

QString PathReason(int err)
{
    if (err == ENAMETOOLONG)
        return QStringLiteral("文件名或路径太长");
    if (err == ELOOP)
        return QStringLiteral("路径中的符号链接绕成了一个圈，找不到真正的文件");
    return QString();
}

QString OpenReason(const QFileInfo &fi)
{
    if (!fi.exists())
        return QStringLiteral("文件不存在");
    if (fi.isDir())
        return QStringLiteral("这是一个文件夹，不是文件");
    if (!fi.isReadable())
        return QStringLiteral("没有读取这个文件的权限");
    return QStringLiteral("无法打开文件");
}

namespace {

// Why what stat describes is no file to read; empty for a regular file.
QString NotRegularReason(const QString &path, const PathState &ps)
{
    if (!ps.exists) {
        const QString why = PathReason(ps.err);
        return why.isEmpty() ? OpenReason(QFileInfo(path)) : why;
    }
    if (S_ISDIR(ps.st.st_mode))
        return OpenReason(QFileInfo(path));
    if (!S_ISREG(ps.st.st_mode))
        return QStringLiteral("这不是普通文件（可能是设备或管道）");
    return QString();
}

} // namespace

bool OpenForReading(const QString &path, QFile *file, struct stat *st, QString *reason)
{
    if (path.isEmpty()) {
        *reason = QStringLiteral("没有给出文件名");
        return false;
    }
    PathState ps = Stat(path);
    *reason = NotRegularReason(path, ps);
    if (!reason->isEmpty())
        return false;
    // Without waiting, in case a pipe took the file's place since the look.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *reason = OpenReason(QFileInfo(path));
        return false;
    }
    ps.exists = ::fstat(fd, &ps.st) == 0;
    ps.err = ps.exists ? 0 : errno;
    *reason = NotRegularReason(path, ps);
    if (reason->isEmpty() && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0
        && file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *st = ps.st;
        return true;
    }
    ::close(fd);
    if (reason->isEmpty())
        *reason = OpenReason(QFileInfo(path));
    return false;
}

} // namespace lumora
