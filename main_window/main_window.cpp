#include "main_window/main_window.h"

#include "shared_ui/common_dialog.h"
#include "main_window/document_commands.h"
#include "main_window/edit_commands.h"
#include "highlight/highlight.h"
#include "main_window/menu.h"
#include "shared_ui/message_box.h"
#include "rich_text/rich_text_box.h"
#include "shared_ui/screen_fit.h"
#include "shared_ui/secondary_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QLayout>
#include <QMenuBar>
#include <memory>

namespace lumora {

namespace {
constexpr int kClientWidth = 825;    // 12375 twips
constexpr int kClientHeight = 553;   // 8295 twips
constexpr int kLeft = 285;           // 4275 twips
constexpr int kTop = 113;            // 1695 twips
} // namespace

MainWindow::MainWindow(const SecondaryWindows &windows, QWidget *parent)
    : QMainWindow(parent), m_client(new QWidget(this)), m_listFolder(QCoreApplication::applicationDirPath())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(ProductTitle());
    setAttribute(Qt::WA_DeleteOnClose);

    m_dialog = new CommonDialog(this);
    m_items = BuildMainMenu(menuBar());
    setCentralWidget(m_client);
    m_editor = new RichTextBox(m_client);
    m_editor->setGeometry(0, 0, kClientWidth, kClientHeight);
    m_editor->SetNotice([this](const QString &text) { MsgBox(this, text, QStringLiteral("提示")); });
    m_documents = new DocumentCommands(this, *m_editor, *m_dialog);
    m_edits = new EditCommands(this, *m_editor, *m_dialog, *m_items.value(QStringLiteral("autoendl")));
    WireMenu(windows);

    move(kLeft, kTop);
    SetClientSize(kClientWidth, kClientHeight);
    m_editor->setFocus();

    // The load step: the layout remembers the design rectangle of every
    // control against this client size.
    RecordGeometry(*this);
    m_client->installEventFilter(this);
    // The design's place and size, unless they reach off the screen (at a
    // large scale factor they do); the editing area then scales with the
    // window as after any resize.
    KeepOnScreen(*this);
}

MainWindow::~MainWindow() = default;

void MainWindow::SetClientSize(int width, int height)
{
    resize(width, height + menuBar()->sizeHint().height());
    layout()->activate();
    // Whatever the menu bar really takes, the client area gets the design size.
    resize(size() + QSize(width, height) - m_client->size());
    layout()->activate();
}

void MainWindow::WireMenu(const SecondaryWindows &windows)
{
    const auto on = [this](const char *item, auto slot) {
        connect(m_items.value(QString::fromLatin1(item)), &QAction::triggered, this, slot);
    };
    on("create", [this] { m_documents->Run([this] { m_documents->New(); }); });
    on("open", [this] { m_documents->Run([this] { m_documents->Open(); }); });
    on("save", [this] { m_documents->Run([this] { m_documents->Save(); }); });
    on("saveas", [this] { m_documents->Run([this] { m_documents->SaveAs(); }); });
    on("unndo", [this] { m_edits->Undo(); });
    on("copy", [this] { m_edits->Copy(); });
    on("shit", [this] { m_edits->Paste(); });
    on("insterdata", [this] { m_edits->InsertPicture(); });
    on("autoendl", [this] { m_edits->ToggleWordWrap(); });
    on("setfo", [this] { m_edits->ChooseFont(); });
    on("sethl", [this] { HighlightSyntax(); });
    on("find", [w = windows.find] { if (w) w->Show(); });
    on("crackcale", [w = windows.calculator] { if (w) w->Show(); });
    on("about", [w = windows.about] { if (w) w->Show(); });
}

void MainWindow::HighlightSyntax()
{
    HighlightDisassembly(*m_editor, m_listFolder, this);
}

void MainWindow::OpenFile(const QString &path)
{
    m_documents->Run([this, path] { m_documents->OpenFile(path); });
}

QString MainWindow::CurrentPath() const
{
    return m_documents->CurrentPath();
}

float MainWindow::ScaleWidth() const
{
    return isMinimized() ? 0.0f : float(m_client->width() * kTwipsPerPixel);
}

float MainWindow::ScaleHeight() const
{
    return isMinimized() ? 0.0f : float(m_client->height() * kTwipsPerPixel);
}

QList<QObject *> MainWindow::Controls() const
{
    QList<QObject *> controls{m_dialog, m_editor};
    for (QMenu *menu : menuBar()->findChildren<QMenu *>()) {
        controls.append(menu->menuAction());
        for (QAction *a : menu->actions())
            controls.append(a);
    }
    return controls;
}

// Unsaved changes are asked about before the window goes.  While a File
// command works on the window (a dialog open, a file going in or out), the
// close waits for it to end; a load is given up.
void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_documents->Busy()) {
        m_documents->CloseWhenDone();
        event->ignore();
        return;
    }
    if (!m_documents->MayDiscard()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        ApplyGeometry(*this);
    return QMainWindow::eventFilter(watched, event);
}

// Minimising changes no widget size here, but the client area of a
// minimised window counts as 0 x 0, and restoring lays it out again.
void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        ApplyGeometry(*this);
}

} // namespace lumora
