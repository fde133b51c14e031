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
    EditCommands(QWidget *window, RichTextBox &editor, CommonDialog &dialog, QAction &wordWrapItem);

    void Undo();
    void Copy();
    void Paste();
    void InsertPicture();
    void ToggleWordWrap();
    void ChooseFont();

private:
    void ApplyDialogFont();

    QWidget *m_window;
    RichTextBox &m_editor;
    CommonDialog &m_dialog;
    QAction &m_wordWrapItem;
};

} // namespace lumora
