#include "document/document_files.h"

#include "document/file_paths.h"
#include "document/file_writes.h"
#include "document/rtf_reader.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumora {

namespace {

// The most this program reads of a file whose content starts with `head`.
qint64 ReadLimit(const QByteArray &head)
{
    return IsRtf(head) ? kMaxRtfFileBytes : kMaxDocumentFileBytes;
}

QString TooLargeToSave(const QString &path, qint64 size, qint64 limit)
{
    return QStringLiteral("无法保存文件“%1”：保存下来会有 %2 字节，超过了本程序能打开的 %3 字节，以后就打不开了。原来的文件没有改动。")
        .arg(path)
        .arg(size)
        .arg(limit);
}

// The first bytes of a file, enough to tell RTF by its start.
QByteArray Head(QFile &f)
{
    QByteArray head = f.read(4096);
    f.seek(0);
    return head;
}

// Reads f to its end, at most cap bytes.  The size stat gave is only a hint:
// kernel files say 0 and a log may grow while it is read.  With progress, it
// is called after every piece; false when it abandons the read.
// QByteArray as ReadToEnd fills it.
struct ByteArrayBuffer
{
    QByteArray bytes;
    qint64 Size() const { return bytes.size(); }
    char *Data() { return bytes.data(); }
    bool Resize(qint64 size)
    {
        bytes.resize(size);
        return true;
    }
    const QByteArray &Bytes() const { return bytes; }
};

template <class Buffer>
bool ReadToEnd(QFile &f, qint64 sizeHint, qint64 cap, const Progress &progress, Buffer *data)
{
    constexpr qint64 kPiece = 8 * 1024 * 1024;
    qint64 got = 0;
    qint64 sinceYield = 0;
    for (;;) {
        if (got == data->Size()) {
            const qint64 size = std::min(cap, std::max({sizeHint + 1, got * 2, qint64(64 * 1024)}));
            if (size <= got || !data->Resize(size))
                break;
        }
        const qint64 n = f.read(data->Data() + got, std::min(kPiece, data->Size() - got));
        if (n <= 0)
            break;
        got += n;
        sinceYield += n;
        if (progress && sinceYield >= kPiece) {
            sinceYield = 0;
            if (!progress(got, sizeHint))
                return false;
        }
    }
    data->Resize(got);
    return true;
}

} // namespace

FileBytes::~FileBytes()
{
    if (m_data)
        ::munmap(m_data, size_t(m_mapped));
}

// Memory of its own, mapped: it grows without a copy (mremap) and its start
// can be given back page by page.
bool FileBytes::Resize(qint64 size)
{
    const qint64 page = ::sysconf(_SC_PAGESIZE);
    const qint64 mapped = std::max<qint64>((size + page - 1) / page * page, page);
    if (mapped != m_mapped) {
        void *p = m_data ? ::mremap(m_data, size_t(m_mapped), size_t(mapped), MREMAP_MAYMOVE)
                         : ::mmap(nullptr, size_t(mapped), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            return false;
        m_data = static_cast<char *>(p);
        m_mapped = mapped;
    }
    m_size = size;
    m_bytes = QByteArray::fromRawData(m_data, m_size);
    return true;
}

void FileBytes::ReleaseBefore(qint64 offset)
{
    const qint64 page = ::sysconf(_SC_PAGESIZE);
    const qint64 end = std::min(offset, m_size) / page * page;
    if (end > m_released) {
        ::madvise(m_data + m_released, size_t(end - m_released), MADV_DONTNEED);
        m_released = end;
    }
}

namespace {

template <class Buffer>
bool ReadInto(const QString &path, Buffer *out, QString *error, const Progress &progress)
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
    // One byte more than the limit tells a file that is too large.
    if (!ReadToEnd(f, st.st_size, limit + 1, progress, out))
        return false;
    if (f.error() != QFileDevice::NoError)
        return fail(QStringLiteral("读取失败"));
    if (const qint64 read = ReadLimit(out->Bytes().left(4096)); out->Size() > read)
        return fail(TooLargeReason(read));
    return true;
}

} // namespace

bool ReadFileBytes(const QString &path, FileBytes *out, QString *error, const Progress &progress)
{
    return ReadInto(path, out, error, progress);
}

bool ReadFileBytes(const QString &path, QByteArray *out, QString *error, const Progress &progress)
{
    ByteArrayBuffer bytes;
    if (!ReadInto(path, &bytes, error, progress))
        return false;
    *out = std::move(bytes.bytes);
    return true;
}

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
    if (!ps.exists && !QtReaches(path)) {
        reason = QStringLiteral("文件名中有不是 UTF-8 的字节，不能用它新建文件");
        return fail(kept);
    }
    if (!ps.exists || !MustWriteInPlace(path, ps.st))
        return WriteReplacing(path, data, ps.exists ? &ps.st : nullptr, &reason) || fail(kept);
    switch (WriteInPlace(path, data, &reason)) {
    case InPlaceResult::Written:
        return true;
    case InPlaceResult::Untouched:
        return fail(kept);
    case InPlaceResult::Restored:
        return fail("新内容没能完整写入，原来的内容已经写回。");
    case InPlaceResult::Damaged:
        break;
    }
    return fail("新内容没能完整写入，原来的内容也没能写回，文件现在可能不完整：请另存为别的文件。");
}

bool WriteDocumentBytes(const QString &path, const QByteArray &data, QString *error, qint64 limit)
{
    if (limit <= 0)
        limit = ReadLimit(data.left(4096));
    if (data.size() > limit) {
        if (error)
            *error = TooLargeToSave(path, data.size(), limit);
        return false;
    }
    return WriteFileAtomically(path, data, error);
}

bool WriteDocumentPieces(const QString &path, const DocumentPieces &source, qint64 limit, QString *error)
{
    const PathState ps = Stat(path);
    const bool replace = !path.isEmpty() && PathReason(ps.err).isEmpty()
                         && (ps.exists ? S_ISREG(ps.st.st_mode) && !MustWriteInPlace(path, ps.st) : QtReaches(path));
    if (!replace) {
        QByteArray all;
        source([&all](QByteArrayView piece) {
            all.append(piece);
            return true;
        });
        return WriteDocumentBytes(path, all, error, limit);
    }
    qint64 total = 0;
    QString reason;
    if (WriteReplacing(path, source, ps.exists ? &ps.st : nullptr, limit, &total, &reason))
        return true;
    if (error)
        *error = reason.isEmpty() ? TooLargeToSave(path, total, limit)
                                  : QStringLiteral("无法保存文件“%1”：%2。原来的文件没有改动。").arg(path, reason);
    return false;
}

bool WriteTextFile(const QString &path, const QString &crlfText, QString *error)
{
    QByteArray bytes;
    QString why;
    if (!EncodeTextFile(crlfText, &bytes, &why)) {
        if (error)
            *error = QStringLiteral("无法保存文件“%1”：%2。原来的文件没有改动。").arg(path, why);
        return false;
    }
    return WriteDocumentBytes(path, bytes, error);
}

} // namespace lumora
