#include "document_files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <sys/stat.h>

namespace lumora {

namespace {

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

QString SaveReason(const QString &path, QFileDevice::FileError err, int savedErrno)
{
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
    if (savedErrno == ENAMETOOLONG)
        return QStringLiteral("文件名太长");
    if (err == QFileDevice::WriteError || err == QFileDevice::ResourceError)
        return QStringLiteral("写入失败（磁盘可能已满）");
    return QStringLiteral("无法创建文件");
}

} // namespace

bool ReadFileBytes(const QString &path, QByteArray *out, QString *error)
{
    const QFileInfo fi(path);
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("无法打开文件“%1”：%2。").arg(path, reason);
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("没有给出文件名"));
    if (!fi.exists() || fi.isDir())
        return fail(OpenReason(fi));
    if (!fi.isFile())
        return fail(QStringLiteral("这不是普通文件（可能是设备或管道）"));
    if (fi.size() > kMaxDocumentFileBytes)
        return fail(QStringLiteral("文件太大（超过 %1 MB）").arg(kMaxDocumentFileBytes / (1024 * 1024)));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(OpenReason(fi));
    // Device files and pipes report no size; read them with the same bound.
    QByteArray data = f.read(kMaxDocumentFileBytes + 1);
    if (f.error() != QFileDevice::NoError)
        return fail(QStringLiteral("读取失败"));
    if (data.size() > kMaxDocumentFileBytes)
        return fail(QStringLiteral("文件太大（超过 %1 MB）").arg(kMaxDocumentFileBytes / (1024 * 1024)));
    *out = std::move(data);
    return true;
}

namespace {

bool IsSpecialFile(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

// A device or pipe cannot be replaced by a renamed temporary file (that
// would replace the device node itself); it is written in place.
bool WriteInPlace(const QString &path, const QByteArray &data, QString *reason)
{
    QFile f(path);
    errno = 0;
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *reason = SaveReason(path, f.error(), errno);
        return false;
    }
    errno = 0;
    if (f.write(data) != data.size()) {
        *reason = SaveReason(path, f.error(), errno);
        return false;
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const QString &path, const QByteArray &data, QString *error)
{
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("无法保存文件“%1”：%2。原来的文件没有改动。").arg(path, reason);
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("没有给出文件名"));
    if (QFileInfo(path).isDir())
        return fail(SaveReason(path, QFileDevice::OpenError, 0));
    if (IsSpecialFile(path)) {
        QString reason;
        if (WriteInPlace(path, data, &reason))
            return true;
        if (error)
            *error = QStringLiteral("无法保存文件“%1”：%2。").arg(path, reason);
        return false;
    }
    QSaveFile f(path);
    errno = 0;
    if (!f.open(QIODevice::WriteOnly))
        return fail(SaveReason(path, f.error(), errno));
    errno = 0;
    if (f.write(data) != data.size()) {
        const int e = errno;
        const auto err = f.error();
        f.cancelWriting();
        return fail(SaveReason(path, err, e));
    }
    errno = 0;
    if (!f.commit())
        return fail(SaveReason(path, f.error(), errno));
    return true;
}

} // namespace lumora
