#include "document/file_writes.h"

#include "document/file_paths.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace lumora {

const char kPipeReason[] = "这是管道或套接字，写入要等另一端的程序读取，不能保存到这里";

QString SaveReason(const QString &path, QFileDevice::FileError err, int savedErrno)
{
    const QString fromPath = PathReason(savedErrno);
    if (!fromPath.isEmpty())
        return fromPath;
    if (savedErrno == ENXIO)
        return QString::fromUtf8(kPipeReason);
    const QFileInfo fi(path);
    if (fi.isDir())
        return QStringLiteral("同名的文件夹已经存在，不能保存为文件");
    const QFileInfo dir(fi.absolutePath());
    if (!dir.exists())
        return QStringLiteral("所在的文件夹不存在");
    if (savedErrno == ENOSPC || savedErrno == EDQUOT)
        return QStringLiteral("磁盘空间不足");
    if (savedErrno == EFBIG)
        return QStringLiteral("文件超过了系统允许的大小");
    if (savedErrno == EROFS)
        return QStringLiteral("所在的磁盘是只读的，没有写入权限");
    if (err == QFileDevice::PermissionsError || savedErrno == EACCES || savedErrno == EPERM)
        return QStringLiteral("没有写入权限");
    if (savedErrno == EAGAIN)
        return QStringLiteral("设备现在不能写入");
    if (err == QFileDevice::WriteError || err == QFileDevice::ResourceError)
        return QStringLiteral("写入失败（磁盘可能已满）");
    return QStringLiteral("无法创建文件");
}

namespace {

// Writes all of data from the file's start; false with errno on failure.
bool WriteAllAt(int fd, const QByteArray &data)
{
    qint64 done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(fd, data.constData() + done, size_t(std::min<qint64>(data.size() - done, 1 << 30)), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

// The whole file from its start, whatever size it reports.
bool ReadAllAt(int fd, QByteArray *out)
{
    QByteArray data;
    qint64 got = 0;
    for (;;) {
        if (got == data.size())
            data.resize(std::max<qint64>(got * 2, 64 * 1024));
        const ssize_t n = ::pread(fd, data.data() + got, size_t(std::min<qint64>(data.size() - got, 1 << 30)), got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += n;
    }
    data.truncate(got);
    *out = std::move(data);
    return true;
}

bool WriteWhole(int fd, const QByteArray &data)
{
    return WriteAllAt(fd, data) && ::ftruncate(fd, data.size()) == 0 && ::fsync(fd) == 0;
}

// The new file takes the old one's owner, group and mode where this process
// may set them: only root gives a file away, and others only to a group
// they belong to.
void KeepOwnerAndMode(int fd, const struct stat &old)
{
    if (fd < 0)
        return;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0) {
        // Stays this process's own, as a new file would.
    }
    // After the owner: changing it clears the set-user-ID and set-group-ID bits.
    if (::fchmod(fd, old.st_mode & 07777) != 0) {
        // QSaveFile has copied the permission bits already.
    }
}

bool Carried(const QByteArray &name)
{
    return name.startsWith("user.") || name.startsWith("security.") || name == "system.posix_acl_access";
}

// Extended attributes hold the file's access control list, its security
// label and what other programs noted about it.  Those this process may set
// go to the new file; a file system without them simply has none to copy.
void CopyExtendedAttributes(const QString &from, int fd)
{
    const QByteArray src = EncodeArgument(from);
    QByteArray names(qsizetype(std::max<ssize_t>(::listxattr(src.constData(), nullptr, 0), 0)), '\0');
    const ssize_t listed = names.isEmpty() ? 0 : ::listxattr(src.constData(), names.data(), size_t(names.size()));
    for (const QByteArray &name : names.left(std::max<ssize_t>(listed, 0)).split('\0')) {
        if (fd < 0 || !Carried(name))
            continue;
        QByteArray value(qsizetype(std::max<ssize_t>(::getxattr(src.constData(), name.constData(), nullptr, 0), 0)), '\0');
        const ssize_t len = ::getxattr(src.constData(), name.constData(), value.data(), size_t(value.size()));
        if (len >= 0 && ::fsetxattr(fd, name.constData(), value.constData(), size_t(len), 0) != 0) {
            // Not this process's to set (a security label, say): the file goes without.
        }
    }
}

} // namespace

bool WriteToDevice(const QString &path, const QByteArray &data, QString *reason)
{
    const int fd = ::open(EncodeArgument(path).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *reason = SaveReason(path, QFileDevice::OpenError, errno);
        return false;
    }
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && !S_ISFIFO(st.st_mode) && !S_ISSOCK(st.st_mode);
    if (!ok)
        *reason = QString::fromUtf8(kPipeReason);   // it became one since it was looked at
    const char *p = data.constData();
    qint64 left = data.size();
    while (ok && left > 0) {
        errno = 0;
        const ssize_t n = ::write(fd, p, size_t(std::min<qint64>(left, qint64(1) << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *reason = SaveReason(path, QFileDevice::WriteError, errno);
            ok = false;
        } else {
            p += n;
            left -= n;
        }
    }
    if (::close(fd) != 0 && ok) {
        *reason = SaveReason(path, QFileDevice::WriteError, errno);
        ok = false;
    }
    return ok;
}

bool WriteReplacing(const QString &path, const QByteArray &data, const struct stat *old, QString *reason)
{
    qint64 total = 0;
    const ByteSource whole = [&data](const BytePut &put) { return put(data); };
    return WriteReplacing(path, whole, old, data.size(), &total, reason);
}

bool WriteReplacing(const QString &path, const ByteSource &source, const struct stat *old, qint64 limit,
                    qint64 *total, QString *reason)
{
    QSaveFile f(path);
    errno = 0;
    if (!f.open(QIODevice::WriteOnly)) {
        *reason = SaveReason(path, f.error(), errno);
        return false;
    }
    if (old) {
        KeepOwnerAndMode(f.handle(), *old);
        CopyExtendedAttributes(path, f.handle());
    }
    *total = 0;
    bool failed = false;
    int e = 0;
    auto err = QFileDevice::NoError;
    // Past the limit the bytes are only counted, so the message can say
    // how large the file would have been.
    const BytePut put = [&](QByteArrayView piece) {
        *total += piece.size();
        if (*total > limit)
            return true;
        errno = 0;
        if (f.write(piece.data(), piece.size()) != piece.size()) {
            e = errno;
            err = f.error();
            failed = true;
        }
        return !failed;
    };
    source(put);
    if (failed || *total > limit) {
        f.cancelWriting();
        if (failed)
            *reason = SaveReason(path, err, e);
        return false;
    }
    errno = 0;
    if (!f.commit()) {
        *reason = SaveReason(path, f.error(), errno);
        return false;
    }
    return true;
}

bool MustWriteInPlace(const QString &path, const struct stat &old)
{
    // QSaveFile could only write a file of a different name.
    if (old.st_nlink > 1 || !QtReaches(path))
        return true;
    // QSaveFile replaces the file a link points to, in that file's folder;
    // a link to a name Qt cannot spell would have it write another file.
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty() || !QFileInfo::exists(target))
        return true;
    const QByteArray folder = EncodeArgument(QFileInfo(target).absolutePath());
    if (::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) != 0)
        return errno == EACCES;
    // In a sticky folder (such as /tmp) only the owner of the file or of the
    // folder may rename over it.
    struct stat dir;
    const uid_t me = ::geteuid();
    return ::stat(folder.constData(), &dir) == 0 && (dir.st_mode & S_ISVTX) && me != 0 && old.st_uid != me
           && dir.st_uid != me;
}

InPlaceResult WriteInPlace(const QString &path, const QByteArray &data, QString *reason)
{
    const QByteArray name = EncodeArgument(path);
    int fd = ::open(name.constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    const bool readable = fd >= 0;
    if (!readable)
        fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *reason = SaveReason(path, QFileDevice::OpenError, errno);
        return InPlaceResult::Untouched;
    }
    struct stat st;
    QByteArray old;
    InPlaceResult result = InPlaceResult::Untouched;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *reason = QString::fromUtf8(kPipeReason);   // it became one since it was looked at
    } else if (readable && !ReadAllAt(fd, &old)) {
        *reason = QStringLiteral("读不出原来的内容，不能放心地在原处改写");
    } else if (!data.isEmpty() && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, data.size()) != 0
               && (errno == ENOSPC || errno == EDQUOT)) {
        // Refused before the first byte: the old content stays as it is.
        *reason = SaveReason(path, QFileDevice::WriteError, errno);
    } else if (WriteWhole(fd, data)) {
        result = InPlaceResult::Written;
    } else {
        *reason = SaveReason(path, QFileDevice::WriteError, errno);
        result = readable && WriteWhole(fd, old) ? InPlaceResult::Restored : InPlaceResult::Damaged;
    }
    if (::close(fd) != 0 && result == InPlaceResult::Written) {
        *reason = SaveReason(path, QFileDevice::WriteError, errno);
        result = InPlaceResult::Damaged;
    }
    return result;
}

} // namespace lumora
