#pragma once

#include "document/ole_color.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace lumora {

class CommonDialog;

// Flags of the font dialog, in the bit values callers store in
// CommonDialog::Flags.
constexpr qint32 kCfScreenFonts = 0x1;          // list the screen fonts
constexpr qint32 kCfEffects = 0x100;            // offer strikethrough, underline, colour
constexpr qint32 kCfForceFontExist = 0x10000;   // accept only faces that exist

// The face the font dialog holds before its first use: "宋体" when a font
// answers to that name (directly or through a substitute), else the
// installed face that stands in for it.
QString DefaultFontDialogFace();

// The faces the dialog offers: every installed family once (without the
// foundry suffix Qt adds when two foundries share a name), plus the default
// face above, sorted.
QStringList AvailableFontFaces();

// The spelling `faces` uses for `name` (letter case ignored, surrounding
// blanks dropped), or an empty string when no face has that name.
QString MatchFontFace(const QStringList &faces, const QString &name);

// A size typed into the dialog, in points: a number from 1 to 1638, kept to
// tenths of a point.  Returns 0 for anything else.
float ParseFontSize(const QString &text);
QString FontSizeText(float points);

struct NamedColor
{
    OleColor color;
    const char *name;   // UTF-8
};
// The 16 colours a font dialog offers, in its order.
const QList<NamedColor> &StandardFontColors();

// What the dialog edits.
struct FontChoice
{
    QString face;
    float size = 9.0f;
    bool bold = false;
    bool italic = false;
    bool strikethru = false;
    bool underline = false;
    OleColor color = 0;
};

// The font dialog ("字体"): face, style, size, effects, colour and a sample
// that follows every change.  Confirming checks the face and the size; a
// refusal is told in a message box and the dialog stays open.
class FontDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FontDialog(QWidget *parent = nullptr);

    // Takes the values and flags from the shared dialog / writes the
    // confirmed values back (effects only when the dialog offered them).
    void Load(const CommonDialog &dlg);
    void Store(CommonDialog &dlg) const;

    void SetChoice(const FontChoice &choice);
    // The values as confirmed by the last successful OK.
    const FontChoice &Choice() const { return m_choice; }
    void SetFlags(qint32 flags);

    void accept() override;

private:
    void BuildControls();
    QWidget *BuildEffects();
    void FillLists();
    void OnFaceEdited(const QString &text);
    void OnSizeEdited(const QString &text);
    void SelectInList(QListWidget *list, const QString &text, bool exact);
    void SetColor(OleColor color);
    OleColor CurrentColor() const;
    int StyleIndex() const;
    void UpdateSample();
    bool Validate(FontChoice *out);

    QLineEdit *m_faceEdit = nullptr;
    QListWidget *m_faceList = nullptr;
    QLineEdit *m_styleEdit = nullptr;
    QListWidget *m_styleList = nullptr;
    QLineEdit *m_sizeEdit = nullptr;
    QListWidget *m_sizeList = nullptr;
    QGroupBox *m_effects = nullptr;
    QCheckBox *m_strike = nullptr;
    QCheckBox *m_underline = nullptr;
    QComboBox *m_color = nullptr;
    QLabel *m_sample = nullptr;

    QStringList m_faces;
    FontChoice m_choice;
    qint32 m_flags = kCfScreenFonts | kCfEffects | kCfForceFontExist;
    bool m_syncing = false;
};

// Shows the font dialog with the values in `dlg`; on OK writes the chosen
// values back and returns true, on cancel leaves them and returns false.
bool RunFontDialog(CommonDialog &dlg, QWidget *parent);

} // namespace lumora
