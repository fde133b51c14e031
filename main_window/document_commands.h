#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace lumora {

class CommonDialog;
class RichTextBox;

// The title the main window starts with, and returns to after New.
QString ProductTitle();

// File > New, Open, Save and Save As.
class DocumentCommands : public QObject
{
    Q_OBJECT
public:
    DocumentCommands(QWidget *window, RichTextBox &editor, CommonDialog &dialog);

    // Full path of the file the document belongs to: set by Open, emptied
    // by New; empty until the first Open.
    const QString &CurrentPath() const { return m_curpath; }

    void New();
    void Open();
    // What Open does once the user has chosen `path`: the file goes in, or
    // a message says why not.  Asks nothing about the document it replaces.
    void OpenFile(const QString &path);
    // Each returns true when the document was written.
    bool Save();
    bool SaveAs();

    // Before the document is given up (the window closes, another file is
    // opened): with unsaved changes, asks whether to save them.  False when
    // the user cancelled or the save did not succeed: the document stays.
    bool MayDiscard();
    // Runs one of the commands above for the menu.  A close of the window
    // asked for meanwhile waits until the command is over.
    void Run(const std::function<void()> &command);
    // True while a command or its question is under way (a dialog open, a
    // file going in or out).  The window must not go then, with the command
    // still working on it: a close request goes to CloseWhenDone instead.
    bool Busy() const { return m_work != Work::None; }
    // A load under way is given up; once the command is over, the window is
    // closed again.
    void CloseWhenDone() { m_closeWhenDone = true; }

private:
    enum class Work { None, Busy, Loading };

    bool Load(const QString &path, QString *error, bool *isRtf, QString *notice);
    bool Write(const QString &path, bool asRtf);
    bool PlainTextMayLose();

    QWidget *m_window;
    RichTextBox &m_editor;
    CommonDialog &m_dialog;
    QString m_curpath;
    // The kind of file m_curpath was opened as: Save writes it back the same way.
    bool m_curpathIsRtf = true;
    Work m_work = Work::None;
    bool m_closeWhenDone = false;
};

} // namespace lumora
