#pragma once

#include "shared_ui/secondary_window.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QCheckBox;
class QLineEdit;

namespace lumora {

class RichTextBox;

// The find and replace dialog.  Its search position lives here and survives
// the window being closed and shown again.
//
// One occurrence per press: "查找" searches from FindPos(), "继续" first moves
// it on by the search text's length and then searches; with "自动替换"
// ticked the occurrence found is replaced.  There is deliberately no wrap
// around, no direction and no "not found" message.
class FindDialog : public QObject, public FormDesign
{
    Q_OBJECT
public:
    // editor() gives the main window's editing area, or null once the main
    // window is gone.
    explicit FindDialog(std::function<RichTextBox *()> editor);

    // Builds the window with every control in its design state and wires the
    // handlers to the new controls.
    QWidget *CreateFromDesign() override;

    // The handlers: "查找", "继续", and any change of the search text.
    void Find();
    void FindNext();
    void RestartSearch();
    // One search from FindPos(), then the selection, focus and replacement.
    void FindStep();

    // Where the next "查找" searches from: 0 for a new search text, the index
    // of the last occurrence found, or -1 after a miss.
    qint32 FindPos() const { return m_findPos; }
    void SetFindPos(qint32 pos) { m_findPos = pos; }

private:
    std::function<RichTextBox *()> m_editor;
    qint32 m_findPos = 0;
    // The controls of the window currently on screen, if any.
    QPointer<QWidget> m_window;
    QPointer<QLineEdit> m_searchField;
    QPointer<QLineEdit> m_replacementField;
    QPointer<QCheckBox> m_replaceBox;
};

} // namespace lumora
