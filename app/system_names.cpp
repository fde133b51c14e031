#include "system_names.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
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

bool QtSpells(const QByteArray &name)
{
    return QFile::encodeName(QFile::decodeName(name)) == name;
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

SystemNames::~SystemNames()
{
    // A stand-in left by a failed conversion goes.
    if (m_outputDir >= 0 && !m_standIn.isEmpty())
        ::unlinkat(m_outputDir, m_standIn.constData(), 0);
    for (int fd : std::as_const(m_fds))
        ::close(fd);
}

QString SystemNames::Through(int fd, const QByteArray &name, const QByteArray &rest)
{
    m_fds.append(fd);
    const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd) + QFile::decodeName(rest);
    m_shown.append({path, QFile::decodeName(name)});
    return path;
}

QString SystemNames::Existing(const QByteArray &name)
{
    if (QtSpells(name))
        return QFile::decodeName(name);
    const int fd = ::open(name.constData(), O_PATH | O_CLOEXEC);
    // A name that does not exist stays as it is: Qt then says so.
    return fd < 0 ? QFile::decodeName(name) : Through(fd, name);
}

QString SystemNames::Output(const QByteArray &name)
{
    struct stat st;
    // Folders and devices are Qt's to refuse or write in place.
    if (QtSpells(name) || (::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode)))
        return Existing(name);
    const qsizetype slash = name.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : name.left(slash);
    const int fd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return QFile::decodeName(name);
    m_outputDir = fd;
    m_outputName = name.mid(slash + 1);
    m_outputShown = QFile::decodeName(name);
    // The stand-in ends as the name does, so that whatever goes by the end
    // of the name (the output format) sees the same.
    const QByteArray end = m_outputName.right(3);
    const bool plain = std::all_of(end.begin(), end.end(), [](char c) { return c > ' ' && c < 127; });
    m_standIn = ".lumora-batch-" + QByteArray::number(QCoreApplication::applicationPid()) + "-"
                + (plain ? end : QByteArray("tmp"));
    return Through(fd, name, "/" + m_standIn);
}

bool SystemNames::Commit(QString *error)
{
    if (m_outputDir < 0 || m_standIn.isEmpty())
        return true;
    if (::renameat(m_outputDir, m_standIn.constData(), m_outputDir, m_outputName.constData()) == 0) {
        m_standIn.clear();
        return true;
    }
    *error = QStringLiteral("无法保存文件“%1”：%2。").arg(m_outputShown, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

QString SystemNames::Readable(QString message) const
{
    // Longest first: /proc/self/fd/3 begins /proc/self/fd/31.
    auto shown = m_shown;
    std::sort(shown.begin(), shown.end(), [](const auto &a, const auto &b) { return a.first.size() > b.first.size(); });
    for (const auto &[path, name] : std::as_const(shown))
        message.replace(path, name);
    return message;
}

} // namespace lumora
