#include "shared_ui/progress_feedback.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <algorithm>

namespace lumora {

namespace {
// A job shorter than this shows no progress window at all.
constexpr int kShowProgressAfterMs = 500;
// How often a long job lets the windows repaint.
constexpr int kRepaintEveryMs = 50;
} // namespace

ProgressFeedback::ProgressFeedback(QWidget *watched, QWidget *parent, QString title, QString label, Input input)
    : m_watched(watched), m_parent(parent), m_title(std::move(title)), m_label(std::move(label)), m_input(input)
{
    m_clock.start();
}

ProgressFeedback::~ProgressFeedback()
{
    delete m_dialog.data();
}

bool ProgressFeedback::Report(qint64 done, qint64 total)
{
    // The first report repaints at once: whatever the job showed so far.
    if (m_lastYield >= 0 && m_clock.elapsed() - m_lastYield < kRepaintEveryMs)
        return !m_watched.isNull();
    if (!m_dialog && m_clock.elapsed() >= kShowProgressAfterMs)
        ShowDialog();
    if (m_dialog)
        m_dialog->setValue(total > 0 ? int(std::clamp<qint64>(done, 0, total) * 1000 / total) : 0);
    QCoreApplication::processEvents(m_input == Input::Wait ? QEventLoop::ExcludeUserInputEvents
                                                           : QEventLoop::AllEvents);
    m_lastYield = m_clock.elapsed();
    return !m_watched.isNull();
}

void ProgressFeedback::ShowDialog()
{
    m_dialog = new QProgressDialog(m_parent);
    m_dialog->setWindowTitle(m_title);
    m_dialog->setLabelText(m_label);
    m_dialog->setCancelButton(nullptr);
    m_dialog->setRange(0, 1000);
    m_dialog->setMinimumDuration(0);
    if (m_input == Input::Answer)
        m_dialog->setWindowModality(Qt::NonModal);
    m_dialog->show();
}

} // namespace lumora
