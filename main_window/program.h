#pragma once

#include <QObject>
#include <QPointer>

#include "main_window/main_window.h"

namespace lumora {

class SecondaryWindow;

// One run of the editor: the main window and the three secondary windows,
// each of which exists at most once.  Closing the main window leaves the
// others open; the run ends when the last window closes.
class Program : public QObject
{
    Q_OBJECT
public:
    Program();
    ~Program() override;

    // Creates the main window and shows it.  A `file` given is opened as
    // File > Open would, once the event loop runs: a long load shows its
    // progress, and a close meanwhile ends the run.
    MainWindow *Start(const QString &file = QString());
    // Null once the main window has been closed.
    MainWindow *Main() const { return m_main; }

    SecondaryWindow &Calculator() const { return *m_calculator; }
    SecondaryWindow &About() const { return *m_about; }

private:
    SecondaryWindow *m_find;
    SecondaryWindow *m_calculator;
    SecondaryWindow *m_about;
    QPointer<MainWindow> m_main;
};

} // namespace lumora
