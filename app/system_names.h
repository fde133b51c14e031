#pragma once

#include "document/file_paths.h"   // DecodeArgument, EncodeArgument

#include <QByteArray>
#include <QList>
#include <QString>

namespace lumora {

// File names on the command line are the system's bytes, which need not be
// UTF-8.  Qt 6 reads and writes every file name as UTF-8, so "bad\xff.rtf"
// would become "bad\xEF\xBF\xBD.rtf".  Names Qt cannot spell are reached
// through a descriptor of the file, or of its folder, under /proc/self/fd;
// an output goes to a stand-in name in its folder and takes its own name
// once written.
class SystemNames
{
public:
    SystemNames() = default;
    ~SystemNames();
    SystemNames(const SystemNames &) = delete;
    SystemNames &operator=(const SystemNames &) = delete;

    // A path by which Qt reaches the existing file or folder `name`.
    QString Existing(const QByteArray &name);
    // A path Qt can write the output `name` to; Commit() then gives the
    // file written there the name `name`.
    QString Output(const QByteArray &name);
    bool Commit(QString *error);

    // A message about the paths above, with the names the user gave.
    QString Readable(QString message) const;

private:
    QString Through(int fd, const QByteArray &name, const QByteArray &rest = QByteArray());

    QList<int> m_fds;
    QList<QPair<QString, QString>> m_shown;   // path given to Qt, name as shown
    int m_outputDir = -1;
    QByteArray m_standIn;
    QByteArray m_outputName;
    QString m_outputShown;
};

} // namespace lumora
