#include "highlight/core/scan_clock.h"

#include <algorithm>

namespace lumora {

ScanClock::ScanClock(Progress progress, qint64 total, int intervalMs)
    : m_progress(std::move(progress)), m_total(std::max<qint64>(total, 1)), m_intervalMs(intervalMs)
{
    m_clock.start();
}

bool ScanClock::Look(qint64 done)
{
    m_work = 0;
    if (m_abandoned || !m_progress)
        return !m_abandoned;
    if (m_clock.elapsed() - m_lastCallMs < m_intervalMs)
        return true;
    m_reported = std::clamp(m_base + done, m_reported, m_total);
    m_abandoned = !m_progress(m_reported, m_total);
    // The time the caller spent (repainting, say) is not the scan's work.
    m_lastCallMs = m_clock.elapsed();
    return !m_abandoned;
}

} // namespace lumora
