#include "main_window/edit_commands.h"

#include "shared_ui/common_dialog.h"
#include "shared_ui/font_dialog.h"
#include "shared_ui/message_box.h"
#include "rich_text/pictures.h"
#include "rich_text/rich_text_box.h"
#include "module1/word_wrap.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

namespace lumora {

namespace {
const QString kPictureFilter = QStringLiteral("图片文件(*.ico;*.bmp)|*.ico;*.bmp");
constexpr qint32 kFontFlags = kCfScreenFonts | kCfEffects | kCfForceFontExist;   // 65793
static_assert(kFontFlags == 65793);
} // namespace

EditCommands::EditCommands(QWidget *window, RichTextBox &editor, CommonDialog &dialog, QAction &wordWrapItem)
    : QObject(window), m_window(window), m_editor(editor), m_dialog(dialog), m_wordWrapItem(wordWrapItem)
{
}

// The editing area's own undo history; the focus stays where it is.
void EditCommands::Undo()
{
    m_editor.Undo();
}

// Handed over even when empty, so an empty selection empties the clipboard.
void EditCommands::Copy()
{
    m_editor.Copy();
}

// Plain text only: whatever else the clipboard holds stays behind, and with
// no text at all the selection is simply removed.
void EditCommands::Paste()
{
    const QString text = QGuiApplication::clipboard()->text();
    QString why;
    if (!m_editor.CanInsert(text, &why)) {
        MsgBox(m_window, why, QStringLiteral("提示"));
        return;
    }
    m_editor.SetSelText(text);
}

void EditCommands::InsertPicture()
{
    m_dialog.Filter = kPictureFilter;
    // A cancelled dialog still holds the name of an earlier use; inserting
    // that picture would go against the cancel.
    if (!m_dialog.ShowOpen())
        return;
    const QString path = m_dialog.FileName();
    if (path.isEmpty())
        return;
    QString error;
    const QImage image = ReadPictureFile(path, &error);
    if (image.isNull()) {
        MsgBox(m_window, error, QStringLiteral("提示"));
        return;
    }
    m_editor.InsertPicture(image);
}

void EditCommands::ToggleWordWrap()
{
    // Runs on the item's trigger, after the item has flipped its own mark:
    // the mark now says whether wrapping is to be on.
    ApplyWordWrap(m_editor, m_wordWrapItem.isChecked());
}

void EditCommands::ChooseFont()
{
    m_dialog.Flags = kFontFlags;
    // Only a confirmed choice reaches the text: a cancel means "leave my
    // text as it is", and the dialog keeps its earlier values for next time.
    if (m_dialog.ShowFont())
        ApplyDialogFont();
    m_editor.SetFocus();
}

// In the order face, size, colour, bold, italic, strikethrough, underline,
// as one undo step.
void EditCommands::ApplyDialogFont()
{
    m_editor.Buffer().BeginStep();
    m_editor.SetSelFontName(m_dialog.FontName);
    m_editor.SetSelFontSize(m_dialog.FontSize);
    m_editor.SetSelColor(m_dialog.Color);
    m_editor.SetSelBold(m_dialog.FontBold);
    m_editor.SetSelItalic(m_dialog.FontItalic);
    m_editor.SetSelStrikeThru(m_dialog.FontStrikethru);
    m_editor.SetSelUnderline(m_dialog.FontUnderline);
    m_editor.Buffer().EndStep();
}

} // namespace lumora
