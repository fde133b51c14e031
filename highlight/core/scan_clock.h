#pragma once

#include "document/progress.h"

#include <QElapsedTimer>

namespace lumora {

// Paces the progress calls of a scan by time, not by characters: the scan
// counts its work in small units (a character read, a match recorded, a
// trie state built) and the clock is read every few thousand units, so that
// a call comes about every interval of work whatever the text and lists.
// The work of a scan runs in stages, each a share of the total.  The
// progress calls' done never decreases and never exceeds total.
class ScanClock
{
public:
    static constexpr int kDefaultIntervalMs = 100;

    explicit ScanClock(Progress progress = {}, qint64 total = 0, int intervalMs = kDefaultIntervalMs);

    // work units more done in the current stage, which has got to done;
    // false once the scan is to be abandoned.
    bool Tick(qint64 done, qint64 work = 1)
    {
        m_work += work;
        return m_work < kUnitsPerLook ? !m_abandoned : Look(done);
    }
    // The current stage is over; it stood for size units of the total.
    void EndStage(qint64 size) { m_base += size; }

private:
    // Each unit costs well under 100 ns, so the clock is read at least
    // every half millisecond and costs little.
    static constexpr qint64 kUnitsPerLook = 4096;

    bool Look(qint64 done);

    Progress m_progress;
    qint64 m_total;
    int m_intervalMs;
    QElapsedTimer m_clock;
    qint64 m_lastCallMs = 0;
    qint64 m_base = 0;
    qint64 m_reported = 0;
    qint64 m_work = 0;
    bool m_abandoned = false;
};

} // namespace lumora
