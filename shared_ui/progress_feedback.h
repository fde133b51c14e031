#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;

namespace lumora {

// For a long job on the user-interface thread: lets the windows repaint now
// and then and, once the job has taken a while, shows how far it got.  By
// default mouse and keys wait until the job is over, so nobody changes what
// the job is working on halfway; a job that has made everything it works on
// read-only may let them through, and the windows then answer meanwhile.
class ProgressFeedback
{
public:
    enum class Input { Wait, Answer };
    // watched: the widget the job works on; the job stops when it goes away.
    ProgressFeedback(QWidget *watched, QWidget *parent, QString title, QString label, Input input = Input::Wait);
    ~ProgressFeedback();
    ProgressFeedback(const ProgressFeedback &) = delete;
    ProgressFeedback &operator=(const ProgressFeedback &) = delete;

    // How far the job got: done out of total (0: not known).  False when the
    // watched widget is gone: the job must stop and not touch it again.
    bool Report(qint64 done, qint64 total);

private:
    void ShowDialog();

    QPointer<QWidget> m_watched;
    QPointer<QWidget> m_parent;
    QString m_title;
    QString m_label;
    Input m_input;
    QElapsedTimer m_clock;
    qint64 m_lastYield = -1;
    // The window is the dialog's parent and may be closed and deleted while
    // the job runs, taking the dialog with it: held by a guarded pointer,
    // deleted here only while it still exists.
    QPointer<QProgressDialog> m_dialog;
};

} // namespace lumora
