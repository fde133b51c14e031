#pragma once

#include <QFile>
#include <ctime>

// A memory figure of this process from /proc/self/status ("VmHWM", "VmRSS"),
// in megabytes; -1 when unknown.
inline double StatusMb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return -1;
}

// Peak memory so far, and memory in use now.
inline double PeakRssMb() { return StatusMb("VmHWM"); }
inline double RssMb() { return StatusMb("VmRSS"); }

// CPU time of this thread, in microseconds: a keystroke's own cost, whatever
// else runs on the machine.
inline double ThreadCpuUs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e6 + double(ts.tv_nsec) / 1e3;
}
