#include "document_commands.h"

#include "common_dialog.h"
#include "document_files.h"
#include "message_box.h"
#include "progress_feedback.h"
#include "rich_text_box.h"
#include "save_name.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QPointer>
#include <QWidget>

namespace lumora {

namespace {

const QString kOpenFilter = QStringLiteral("文本文件(*.txt)|*.txt |RTF文件(*.rtf)|*.rtf |所有文件(*.*)|*.*");
const QString kSaveFilter = QStringLiteral("文本文件(*.txt)|*.txt |RTF文件(*.rtf)|*.rtf");
const QString kTitlePrefix = QStringLiteral("Tesvar论坛专用记事本 - ");
const QString kNotice = QStringLiteral("提示");

// Loading or saving a listing of many megabytes takes seconds: the pointer
// says the editor is busy, not hung.  Restored before any message shows.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { Release(); }
    void Release()
    {
        if (m_held)
            QGuiApplication::restoreOverrideCursor();
        m_held = false;
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    bool m_held = true;
};

} // namespace

DocumentCommands::DocumentCommands(QWidget *window, RichTextBox &editor, CommonDialog &dialog)
    : QObject(window), m_window(window), m_editor(editor), m_dialog(dialog)
{
}

void DocumentCommands::create_Click()
{
    // The RTF of a document is never empty, so in practice New always asks:
    // nothing records whether the document was saved.
    if (m_editor.TextRTF().isEmpty()) {
        save_Click();
        return;
    }
    const MsgAnswer a = MsgBox(m_window, QStringLiteral("您还没有保存,确定不保存吗？"), QStringLiteral("询问"),
                               MsgButtons::YesNo);
    if (a == MsgAnswer::Yes)
        m_editor.SetTextRTF(QByteArray());
}

void DocumentCommands::open_Click()
{
    m_dialog.Filter = kOpenFilter;
    if (!m_dialog.ShowOpen() || m_dialog.FileName.isEmpty())
        return;
    const QString path = m_dialog.FileName;
    QString error;
    BusyCursor busy;
    // A long file goes in slice by slice; the window repaints meanwhile and
    // may even be closed, after which nothing here may be touched.
    // The editing area is read-only while the text goes in, so the window
    // keeps answering (scrolling, looking); the menu waits.
    QPointer<QWidget> alive(m_window);
    QPointer<QMenuBar> menu = m_window->findChild<QMenuBar *>();
    if (menu)
        menu->setEnabled(false);
    bool loaded = false;
    {
        ProgressFeedback feedback(&m_editor, m_window, QStringLiteral("打开"), QStringLiteral("正在打开文件，请稍候……"),
                                  ProgressFeedback::Input::Answer);
        loaded = m_editor.LoadFile(path, &error, [&feedback](int permille) { return feedback.Report(permille); });
    }
    if (!alive)
        return;
    if (menu)
        menu->setEnabled(true);
    busy.Release();
    if (!loaded) {
        MsgBox(m_window, error, kNotice);
        return;
    }
    m_window->setWindowTitle(kTitlePrefix + path);
    curpath = path;
}

void DocumentCommands::save_Click()
{
    if (curpath.isEmpty()) {
        saveas_Click();
        return;
    }
    // Whatever the file's name or the format it was opened in, Save writes RTF.
    QString error;
    BusyCursor busy;
    const bool saved = m_editor.SaveFile(curpath, &error);
    busy.Release();
    if (!saved)
        MsgBox(m_window, error, kNotice);
}

void DocumentCommands::saveas_Click()
{
    m_dialog.Filter = kSaveFilter;
    if (!m_dialog.ShowSave() || m_dialog.FileName.isEmpty())
        return;
    const qint16 index = m_dialog.FilterIndex;
    QString error;
    bool saved = false;
    BusyCursor busy;
    if (index == 2) {
        saved = m_editor.SaveFile(WithExtension(m_dialog.FileName, QStringLiteral("RTF")), &error);
    } else {
        saved = WriteTextFile(WithExtension(m_dialog.FileName, QStringLiteral("TXT")), m_editor.RawText(), &error);
    }
    busy.Release();
    if (!saved)
        MsgBox(m_window, error, kNotice);
}

} // namespace lumora
