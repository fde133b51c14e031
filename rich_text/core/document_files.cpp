#include "document_files.h"

#include "file_paths.h"
#include "rtf_reader.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumora {

namespace {

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

// The most this program reads of a file whose content starts with `head`.
qint64 ReadLimit(const QByteArray &head)
{
    return IsRtf(head) ? kMaxRtfFileBytes : kMaxDocumentFileBytes;
}

// The first bytes of a file, enough to tell RTF by its start.
QByteArray Head(QFile &f)
{
    QByteArray head = f.read(4096);
    f.seek(0);
    return head;
}

// Reads f to its end, at most cap bytes.  The size stat gave is only a hint:
// kernel files say 0 and a log may grow while it is read.  With yield, it is
// called after every piece; false when it abandons the read.
bool ReadToEnd(QFile &f, qint64 sizeHint, qint64 cap, const std::function<bool()> &yield, QByteArray *out)
{
    constexpr qint64 kPiece = 8 * 1024 * 1024;
    QByteArray data;
    qint64 got = 0;
    qint64 sinceYield = 0;
    for (;;) {
        if (got == data.size()) {
            const qint64 size = std::min(cap, std::max({sizeHint + 1, got * 2, qint64(64 * 1024)}));
            if (size <= got)
                break;
            data.resize(size);
        }
        const qint64 n = f.read(data.data() + got, std::min(kPiece, data.size() - got));
        if (n <= 0)
            break;
        got += n;
        sinceYield += n;
        if (yield && sinceYield >= kPiece) {
            sinceYield = 0;
            if (!yield())
                return false;
        }
    }
    data.truncate(got);
    *out = std::move(data);
    return true;
}

} // namespace

bool ReadFileBytes(const QString &path, QByteArray *out, QString *error, const std::function<bool()> &yield)
{
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("无法打开文件“%1”：%2。").arg(path, reason);
        return false;
    };
    QFile f;
    struct stat st;
    QString why;
    if (!OpenForReading(path, &f, &st, &why))
        return fail(why);
    if (st.st_size > kMaxRtfFileBytes)
        return fail(TooLargeReason(kMaxRtfFileBytes));
    const qint64 limit = ReadLimit(Head(f));
    if (st.st_size > limit)
        return fail(TooLargeReason(limit));
    QByteArray data;
    // One byte more than the limit tells a file that is too large.
    if (!ReadToEnd(f, st.st_size, limit + 1, yield, &data))
        return false;
    if (f.error() != QFileDevice::NoError)
        return fail(QStringLiteral("读取失败"));
    if (const qint64 read = ReadLimit(data.left(4096)); data.size() > read)
        return fail(TooLargeReason(read));
    *out = std::move(data);
    return true;
}

namespace {

// A device cannot be replaced by a renamed temporary file (that would
// replace the device node itself); it is written in place.  Opened without
// waiting: a device that is not ready is refused, not waited for.
bool WriteToDevice(const QString &path, const QByteArray &data, QString *reason)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
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

bool WriteReplacing(const QString &path, const QByteArray &data, const PathState &old, QString *reason)
{
    QSaveFile f(path);
    errno = 0;
    if (!f.open(QIODevice::WriteOnly)) {
        *reason = SaveReason(path, f.error(), errno);
        return false;
    }
    if (old.exists)
        KeepOwnerAndMode(f.handle(), old.st);
    errno = 0;
    if (f.write(data) != data.size()) {
        const int e = errno;
        const auto err = f.error();
        f.cancelWriting();
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

} // namespace

bool WriteFileAtomically(const QString &path, const QByteArray &data, QString *error)
{
    QString reason;
    const auto fail = [&](const char *tail) {
        if (error)
            *error = QStringLiteral("无法保存文件“%1”：%2。").arg(path, reason) + QString::fromUtf8(tail);
        return false;
    };
    const char *const kept = "原来的文件没有改动。";
    if (path.isEmpty()) {
        reason = QStringLiteral("没有给出文件名");
        return fail(kept);
    }
    const PathState ps = Stat(path);
    reason = PathReason(ps.err);
    if (!reason.isEmpty())
        return fail(kept);
    if (ps.exists && S_ISDIR(ps.st.st_mode)) {
        reason = SaveReason(path, QFileDevice::OpenError, 0);
        return fail(kept);
    }
    // Nobody may be reading a pipe or socket: writing could wait forever.
    if (ps.exists && (S_ISFIFO(ps.st.st_mode) || S_ISSOCK(ps.st.st_mode))) {
        reason = QString::fromUtf8(kPipeReason);
        return fail("");
    }
    if (ps.exists && !S_ISREG(ps.st.st_mode))
        return WriteToDevice(path, data, &reason) || fail("");
    return WriteReplacing(path, data, ps, &reason) || fail(kept);
}

bool WriteDocumentBytes(const QString &path, const QByteArray &data, QString *error, qint64 limit)
{
    if (limit <= 0)
        limit = ReadLimit(data.left(4096));
    if (data.size() > limit) {
        if (error)
            *error = QStringLiteral("无法保存文件“%1”：保存下来会有 %2 字节，超过了本程序能打开的 %3 字节，以后就打不开了。原来的文件没有改动。")
                         .arg(path)
                         .arg(data.size())
                         .arg(limit);
        return false;
    }
    return WriteFileAtomically(path, data, error);
}

} // namespace lumora
