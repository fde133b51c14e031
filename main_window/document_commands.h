#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace lumora {

class CommonDialog;
class RichTextBox;

// File > New, Open, Save and Save As.
class DocumentCommands : public QObject
{
    Q_OBJECT
public:
    DocumentCommands(QWidget *window, RichTextBox &editor, CommonDialog &dialog);

    // Full path of the file last opened; empty until the first Open.
    QString curpath;

    void create_Click();
    void open_Click();
    void save_Click();
    void saveas_Click();

private:
    QWidget *m_window;
    RichTextBox &m_editor;
    CommonDialog &m_dialog;
};

} // namespace lumora
