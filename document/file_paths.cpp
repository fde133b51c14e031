#include "document/file_paths.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace lumora {

namespace {

// Length of the valid UTF-8 sequence at bytes[i], or 0.
int Utf8Length(const QByteArray &bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return k < bytes.size() ? uchar(bytes[k]) : 0; };
    const uchar b = at(i);
    if (b < 0x80)
        return 1;
    int n = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
    // No overlong forms, no surrogates, nothing above U+10FFFF.
    const uchar lo = b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80;
    const uchar hi = b == 0xED ? 0x9F : b == 0xF4 ? 0x8F : 0xBF;
    for (int k = 1; k < n; ++k)
        if (at(i + k) < (k == 1 ? lo : 0x80) || at(i + k) > (k == 1 ? hi : 0xBF))
            n = 0;
    return n;
}

} // namespace

QString DecodeArgument(const QByteArray &bytes)
{
    QString out;
    for (qsizetype i = 0; i < bytes.size();) {
        const int n = Utf8Length(bytes, i);
        if (n > 0)
            out += QString::fromUtf8(bytes.constData() + i, n);
        else
            out += QChar(0xDC00 + uchar(bytes[i]));
        i += n > 0 ? n : 1;
    }
    return out;
}

QByteArray EncodeArgument(const QString &argument)
{
    const auto escaped = [](QChar c) { return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF; };
    if (std::none_of(argument.begin(), argument.end(), escaped))
        return argument.toUtf8();
    QByteArray out;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const QChar c = argument[i];
        if (c.isHighSurrogate() && i + 1 < argument.size() && argument[i + 1].isLowSurrogate()) {
            out += argument.mid(i, 2).toUtf8();
            ++i;
        } else if (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF) {
            out += char(c.unicode() - 0xDC00);
        } else {
            out += QString(c).toUtf8();
        }
    }
    return out;
}

bool QtReaches(const QString &path)
{
    return ShownPath(path) == path;
}

QString ShownPath(const QString &path)
{
    return QFile::decodeName(EncodeArgument(path));
}

PathState Stat(const QString &path)
{
    PathState s;
    errno = 0;
    s.exists = ::stat(EncodeArgument(path).constData(), &s.st) == 0;
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
    const int fd = ::open(EncodeArgument(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
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
