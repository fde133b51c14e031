#include "app/system_names.h"

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

bool QtSpells(const QByteArray &name)
{
    return QFile::encodeName(QFile::decodeName(name)) == name;
}

} // namespace

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
