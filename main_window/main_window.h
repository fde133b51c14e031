#pragma once

#include "module1/geometry.h"

#include <QHash>
#include <QMainWindow>

namespace lumora {

class CommonDialog;
class DocumentCommands;
class EditCommands;
class RichTextBox;
class SecondaryWindow;

// The secondary windows the main window's menu shows.
struct SecondaryWindows
{
    SecondaryWindow *find = nullptr;
    SecondaryWindow *calculator = nullptr;
    SecondaryWindow *about = nullptr;
};

// The main window: the editing area under the six menus.
class MainWindow : public QMainWindow, public LayoutWindow
{
    Q_OBJECT
public:
    explicit MainWindow(const SecondaryWindows &windows, QWidget *parent = nullptr);
    ~MainWindow() override;

    RichTextBox *Editor() const { return m_editor; }
    CommonDialog *Dialog() const { return m_dialog; }
    QString CurrentPath() const;
    QAction *MenuItem(const QString &name) const { return m_items.value(name); }
    // Opens `path` as File > Open does once the file is chosen.
    void OpenFile(const QString &path);

    float ScaleWidth() const override;
    float ScaleHeight() const override;
    QList<QObject *> Controls() const override;
    GeometryReference &Reference() override { return m_reference; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void SetClientSize(int width, int height);
    void WireMenu(const SecondaryWindows &windows);
    void HighlightSyntax();

    QWidget *m_client;
    RichTextBox *m_editor;
    CommonDialog *m_dialog;
    QHash<QString, QAction *> m_items;
    DocumentCommands *m_documents;
    EditCommands *m_edits;
    GeometryReference m_reference;
    QString m_listFolder;
};

} // namespace lumora
