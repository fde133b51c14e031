#include "main_window/document_commands.h"

#include "shared_ui/common_dialog.h"
#include "document/document_files.h"
#include "document/file_paths.h"
#include "shared_ui/message_box.h"
#include "shared_ui/progress_feedback.h"
#include "rich_text/rich_text_box.h"
#include "main_window/save_name.h"

#include <QCoreApplication>
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
const QString kQuestion = QStringLiteral("询问");

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

QString ProductTitle()
{
    return QStringLiteral("Lumora记事本加强版");
}

DocumentCommands::DocumentCommands(QWidget *window, RichTextBox &editor, CommonDialog &dialog)
    : QObject(window), m_window(window), m_editor(editor), m_dialog(dialog)
{
}

void DocumentCommands::Run(const std::function<void()> &command)
{
    QPointer<DocumentCommands> alive(this);
    const Work before = m_work;
    if (m_work == Work::None)
        m_work = Work::Busy;
    command();
    if (!alive)
        return;
    m_work = before;
    if (m_work == Work::None && std::exchange(m_closeWhenDone, false))
        m_window->close();
}

bool DocumentCommands::MayDiscard()
{
    if (!m_editor.IsModified())
        return true;
    const bool outermost = m_work == Work::None;
    if (outermost)
        m_work = Work::Busy;
    const QString name = m_curpath.isEmpty() ? QStringLiteral("无标题") : m_curpath;
    const MsgAnswer a = MsgBox(m_window, QStringLiteral("是否将更改保存到 %1？").arg(name), kQuestion,
                               MsgButtons::SaveDiscardCancel);
    const bool discard = a == MsgAnswer::Discard || (a == MsgAnswer::Save && Save());
    if (outermost) {
        // The close that asked is the answer to any close asked meanwhile.
        m_work = Work::None;
        m_closeWhenDone = false;
    }
    return discard;
}

void DocumentCommands::New()
{
    // The RTF of a document is never empty, so in practice New always asks,
    // changes or not.
    if (m_editor.TextRTF().isEmpty()) {
        Save();
        return;
    }
    const MsgAnswer a = MsgBox(m_window, QStringLiteral("您还没有保存,确定不保存吗？"), kQuestion, MsgButtons::YesNo);
    if (a != MsgAnswer::Yes)
        return;
    m_editor.SetTextRTF(QByteArray());
    // The empty document belongs to no file: Save asks for a name, and it
    // is not written over the file opened before.
    m_curpath.clear();
    m_curpathIsRtf = true;
    m_window->setWindowTitle(ProductTitle());
    m_editor.SetModified(false);
}

void DocumentCommands::Open()
{
    if (!MayDiscard())
        return;
    m_dialog.Filter = kOpenFilter;
    if (!m_dialog.ShowOpen() || m_dialog.FileName().isEmpty())
        return;
    OpenFile(m_dialog.FileName());
}

void DocumentCommands::OpenFile(const QString &path)
{
    QString error, notice;
    bool rtf = false;
    QPointer<DocumentCommands> alive(this);
    const bool loaded = Load(path, &error, &rtf, &notice);
    if (!alive)
        return;
    if (m_closeWhenDone) {
        // Given up for a close.  What got in is no change of the user's: the
        // earlier document was settled before the file was chosen.
        m_editor.SetModified(false);
        return;
    }
    if (!loaded) {
        MsgBox(m_window, error, kNotice);
        return;
    }
    m_window->setWindowTitle(kTitlePrefix + ShownPath(path));
    m_curpath = path;
    m_curpathIsRtf = rtf;
    m_editor.SetModified(false);
    // Footnotes and the like the editor does not keep: said once, now,
    // before any save could drop them unnoticed.
    if (!notice.isEmpty())
        MsgBox(m_window, notice, kNotice);
}

// A long file goes in slice by slice; the window repaints meanwhile.  The
// editing area is read-only while the text goes in, so the window keeps
// answering (scrolling, looking); the menu waits.  A close of the window
// gives the load up.
bool DocumentCommands::Load(const QString &path, QString *error, bool *isRtf, QString *notice)
{
    BusyCursor busy;
    QPointer<QWidget> alive(m_window);
    QPointer<QMenuBar> menu = m_window->findChild<QMenuBar *>();
    if (menu)
        menu->setEnabled(false);
    const Work before = m_work;
    m_work = Work::Loading;
    bool loaded = false;
    {
        ProgressFeedback feedback(&m_editor, m_window, QStringLiteral("打开"), QStringLiteral("正在打开文件，请稍候……"),
                                  ProgressFeedback::Input::Answer);
        const Progress progress = [this, &feedback](qint64 done, qint64 total) {
            return feedback.Report(done, total) && !m_closeWhenDone;
        };
        loaded = m_editor.LoadFile(path, error, progress, isRtf, notice);
    }
    if (!alive)
        return false;   // gone some other way; nothing here may be touched
    m_work = before;
    if (menu)
        menu->setEnabled(true);
    return loaded;
}

bool DocumentCommands::Save()
{
    if (m_curpath.isEmpty())
        return SaveAs();
    // The file keeps the kind it was opened as.
    if (!m_curpathIsRtf && !PlainTextMayLose())
        return false;
    return Write(m_curpath, m_curpathIsRtf);
}

bool DocumentCommands::SaveAs()
{
    m_dialog.Filter = kSaveFilter;
    if (!m_dialog.ShowSave() || m_dialog.FileName().isEmpty())
        return false;
    if (m_dialog.FilterIndex() == 2)
        return Write(WithExtension(m_dialog.FileName(), QStringLiteral("RTF")), true);
    return Write(WithExtension(m_dialog.FileName(), QStringLiteral("TXT")), false);
}

// A plain-text file keeps only the text: the user says whether the rest may go.
bool DocumentCommands::PlainTextMayLose()
{
    const QStringList lost = m_editor.PlainTextLosses();
    if (lost.isEmpty())
        return true;
    const QString text = QStringLiteral("“%1”是以纯文本打开的，纯文本不能保存文档中的%2，保存后这些都会丢失。\n是否仍然保存？")
                             .arg(m_curpath, lost.join(QStringLiteral("、")));
    return MsgBox(m_window, text, kQuestion, MsgButtons::YesNoDefaultNo) == MsgAnswer::Yes;
}

bool DocumentCommands::Write(const QString &path, bool asRtf)
{
    QString error;
    BusyCursor busy;
    // What the closed file dialog or menu covered is painted again before a
    // long write starts: otherwise it seems to hang over the editor.
    m_window->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const bool saved = asRtf ? m_editor.SaveFile(path, &error) : WriteTextFile(path, m_editor.RawText(), &error);
    busy.Release();
    if (!saved) {
        MsgBox(m_window, error, kNotice);
        return false;
    }
    m_editor.SetModified(false);
    return true;
}

} // namespace lumora
