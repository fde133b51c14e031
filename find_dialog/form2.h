#pragma once

#include "secondary_window.h"

#include <QObject>
#include <functional>

namespace lumora {

class RichTextBox;

// The find and replace dialog.  Its search position lives here and survives
// the window being closed and shown again.
class Form2 : public QObject, public FormDesign
{
    Q_OBJECT
public:
    // editor() gives the main window's editing area, or null once the main
    // window is gone.
    explicit Form2(std::function<RichTextBox *()> editor);

    QWidget *CreateFromDesign() override;

    qint32 findPos = 0;

private:
    std::function<RichTextBox *()> m_editor;
};

} // namespace lumora
