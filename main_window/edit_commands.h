#pragma once

#include <QObject>

class QAction;
class QWidget;

namespace lumora {

class CommonDialog;
class RichTextBox;

// Edit > Undo, Copy, Paste, Insert picture; Format > Word wrap, Font.
class EditCommands : public QObject
{
    Q_OBJECT
public:
    EditCommands(QWidget *window, RichTextBox &editor, CommonDialog &dialog, QAction &autoendl);

    void unndo_Click();
    void copy_Click();
    void shit_Click();
    void insterdata_Click();
    void autoendl_Click();
    void setfo_Click();

private:
    void ApplyDialogFont();

    QWidget *m_window;
    RichTextBox &m_editor;
    CommonDialog &m_dialog;
    QAction &m_autoendl;
};

} // namespace lumora
