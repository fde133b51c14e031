#include "shared_ui/font_dialog.h"

#include "shared_ui/common_dialog.h"
#include "shared_ui/message_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumora {

namespace {

// Regular, italic, bold, bold italic: index bit 0 is italic, bit 1 is bold.
const char *const kStyles[] = {"常规", "倾斜", "粗体", "粗倾斜"};
const int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
constexpr int kFaceWidth = 200;
constexpr int kStyleWidth = 110;
constexpr int kSizeWidth = 70;

QIcon Swatch(OleColor color)
{
    QPixmap pm(24, 12);
    pm.fill(ColorFromOle(color));
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    return QIcon(pm);
}

QLineEdit *NewEdit(const char *name, int width, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setFixedWidth(width);
    return e;
}

QListWidget *NewList(const char *name, int width, QWidget *parent)
{
    auto *l = new QListWidget(parent);
    l->setObjectName(QLatin1String(name));
    l->setFixedSize(width, 120);
    return l;
}

} // namespace

FontDialog::FontDialog(QWidget *parent) : QDialog(parent), m_faces(AvailableFontFaces())
{
    setObjectName(QStringLiteral("FontDialog"));
    setWindowTitle(QStringLiteral("字体"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    BuildControls();
    FillLists();
    m_choice.face = DefaultFontDialogFace();
    SetChoice(m_choice);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void FontDialog::BuildControls()
{
    auto *grid = new QGridLayout;
    const auto label = [this](const char *text, QWidget *buddy) {
        auto *l = new QLabel(QString::fromUtf8(text), this);
        l->setBuddy(buddy);
        return l;
    };
    m_faceEdit = NewEdit("faceEdit", kFaceWidth, this);
    m_styleEdit = NewEdit("styleEdit", kStyleWidth, this);
    m_styleEdit->setReadOnly(true);
    m_sizeEdit = NewEdit("sizeEdit", kSizeWidth, this);
    m_faceList = NewList("faceList", kFaceWidth, this);
    m_styleList = NewList("styleList", kStyleWidth, this);
    m_sizeList = NewList("sizeList", kSizeWidth, this);
    grid->addWidget(label("字体(&F):", m_faceEdit), 0, 0);
    grid->addWidget(label("字形(&Y):", m_styleList), 0, 1);
    grid->addWidget(label("大小(&S):", m_sizeEdit), 0, 2);
    grid->addWidget(m_faceEdit, 1, 0);
    grid->addWidget(m_styleEdit, 1, 1);
    grid->addWidget(m_sizeEdit, 1, 2);
    grid->addWidget(m_faceList, 2, 0);
    grid->addWidget(m_styleList, 2, 1);
    grid->addWidget(m_sizeList, 2, 2);

    auto *sampleBox = new QGroupBox(QStringLiteral("示例"), this);
    m_sample = new QLabel(QStringLiteral("AaBbYyZz 中文示例"), sampleBox);
    m_sample->setObjectName(QStringLiteral("sample"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setFixedSize(kStyleWidth + kSizeWidth, 60);
    (new QVBoxLayout(sampleBox))->addWidget(m_sample);
    grid->addWidget(BuildEffects(), 3, 0);
    grid->addWidget(sampleBox, 3, 1, 1, 2);

    auto *buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton *ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    QPushButton *cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("okButton"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &FontDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FontDialog::reject);

    auto *top = new QHBoxLayout(this);
    top->addLayout(grid);
    top->addWidget(buttons, 0, Qt::AlignTop);
    setTabOrder(m_faceEdit, m_faceList);
}

QWidget *FontDialog::BuildEffects()
{
    m_effects = new QGroupBox(QStringLiteral("效果"), this);
    m_effects->setObjectName(QStringLiteral("effectsGroup"));
    m_strike = new QCheckBox(QStringLiteral("删除线(&K)"), m_effects);
    m_strike->setObjectName(QStringLiteral("strikeCheck"));
    m_underline = new QCheckBox(QStringLiteral("下划线(&U)"), m_effects);
    m_underline->setObjectName(QStringLiteral("underlineCheck"));
    m_color = new QComboBox(m_effects);
    m_color->setObjectName(QStringLiteral("colorCombo"));
    for (const NamedColor &c : StandardFontColors())
        m_color->addItem(Swatch(c.color), QString::fromUtf8(c.name), QVariant::fromValue(c.color));
    auto *colorLabel = new QLabel(QStringLiteral("颜色(&C):"), m_effects);
    colorLabel->setBuddy(m_color);
    auto *v = new QVBoxLayout(m_effects);
    v->addWidget(m_strike);
    v->addWidget(m_underline);
    v->addWidget(colorLabel);
    v->addWidget(m_color);
    connect(m_strike, &QCheckBox::toggled, this, &FontDialog::UpdateSample);
    connect(m_underline, &QCheckBox::toggled, this, &FontDialog::UpdateSample);
    connect(m_color, &QComboBox::currentIndexChanged, this, &FontDialog::UpdateSample);
    return m_effects;
}

void FontDialog::FillLists()
{
    m_faceList->addItems(m_faces);
    for (const char *s : kStyles)
        m_styleList->addItem(QString::fromUtf8(s));
    for (int s : kSizes)
        m_sizeList->addItem(QString::number(s));

    connect(m_faceEdit, &QLineEdit::textEdited, this, &FontDialog::OnFaceEdited);
    connect(m_sizeEdit, &QLineEdit::textEdited, this, &FontDialog::OnSizeEdited);
    // A pick in a list writes its edit field, unless the field's own typing
    // moved the list.
    const auto follow = [this](QListWidget *list, QLineEdit *edit) {
        connect(list, &QListWidget::currentTextChanged, this, [this, edit](const QString &text) {
            if (!m_syncing && !text.isEmpty())
                edit->setText(text);
            UpdateSample();
        });
    };
    follow(m_faceList, m_faceEdit);
    follow(m_styleList, m_styleEdit);
    follow(m_sizeList, m_sizeEdit);
}

void FontDialog::SelectInList(QListWidget *list, const QString &text, bool exact)
{
    const QString t = text.trimmed();
    int found = -1;
    for (int i = 0; i < list->count() && found < 0 && !t.isEmpty(); ++i) {
        const QString item = list->item(i)->text();
        if (exact ? item.compare(t, Qt::CaseInsensitive) == 0 : item.startsWith(t, Qt::CaseInsensitive))
            found = i;
    }
    m_syncing = true;
    if (found >= 0) {
        list->setCurrentRow(found);
        list->scrollToItem(list->item(found));
    } else {
        list->setCurrentRow(-1);
    }
    m_syncing = false;
}

void FontDialog::OnFaceEdited(const QString &text)
{
    SelectInList(m_faceList, text, false);
    UpdateSample();
}

void FontDialog::OnSizeEdited(const QString &text)
{
    SelectInList(m_sizeList, text, true);
    UpdateSample();
}

void FontDialog::SetColor(OleColor color)
{
    int idx = m_color->findData(QVariant::fromValue(color));
    if (idx < 0) {
        // A colour outside the standard sixteen is kept, not snapped to one.
        const int custom = m_color->count() > StandardFontColors().size() ? m_color->count() - 1 : -1;
        if (custom < 0)
            m_color->addItem(Swatch(color), QStringLiteral("自定义"), QVariant::fromValue(color));
        else {
            m_color->setItemIcon(custom, Swatch(color));
            m_color->setItemData(custom, QVariant::fromValue(color));
        }
        idx = m_color->count() - 1;
    }
    m_color->setCurrentIndex(idx);
}

OleColor FontDialog::CurrentColor() const
{
    return m_color->currentData().value<OleColor>();
}

int FontDialog::StyleIndex() const
{
    return std::max(0, m_styleList->currentRow());
}

void FontDialog::SetChoice(const FontChoice &choice)
{
    m_choice = choice;
    const QString face = MatchFontFace(m_faces, choice.face);
    m_faceEdit->setText(face.isEmpty() ? choice.face : face);
    SelectInList(m_faceList, m_faceEdit->text(), true);
    m_styleList->setCurrentRow((choice.bold ? 2 : 0) + (choice.italic ? 1 : 0));
    m_sizeEdit->setText(FontSizeText(choice.size));
    SelectInList(m_sizeList, m_sizeEdit->text(), true);
    m_strike->setChecked(choice.strikethru);
    m_underline->setChecked(choice.underline);
    SetColor(choice.color);
    UpdateSample();
}

void FontDialog::SetFlags(qint32 flags)
{
    m_flags = flags;
    m_effects->setVisible(flags & kCfEffects);
}

void FontDialog::Load(const CommonDialog &dlg)
{
    SetFlags(dlg.Flags);
    FontChoice c;
    c.face = dlg.FontName;
    c.size = dlg.FontSize;
    c.bold = dlg.FontBold;
    c.italic = dlg.FontItalic;
    c.strikethru = dlg.FontStrikethru;
    c.underline = dlg.FontUnderline;
    c.color = dlg.Color;
    SetChoice(c);
}

void FontDialog::Store(CommonDialog &dlg) const
{
    dlg.FontName = m_choice.face;
    dlg.FontSize = m_choice.size;
    dlg.FontBold = m_choice.bold;
    dlg.FontItalic = m_choice.italic;
    if (m_flags & kCfEffects) {
        dlg.FontStrikethru = m_choice.strikethru;
        dlg.FontUnderline = m_choice.underline;
        dlg.Color = m_choice.color;
    }
}

void FontDialog::UpdateSample()
{
    if (!m_sample)
        return;
    QFont f(m_faceEdit->text().trimmed());
    const float size = ParseFontSize(m_sizeEdit->text());
    f.setPointSizeF(size > 0.0f ? std::min(size, 48.0f) : 9.0);
    f.setBold(StyleIndex() & 2);
    f.setItalic(StyleIndex() & 1);
    f.setStrikeOut(m_strike->isChecked());
    f.setUnderline(m_underline->isChecked());
    m_sample->setFont(f);
    QPalette pal = m_sample->palette();
    pal.setColor(QPalette::WindowText, ColorFromOle(CurrentColor()));
    m_sample->setPalette(pal);
}

bool FontDialog::Validate(FontChoice *out)
{
    const QString typed = m_faceEdit->text().trimmed();
    QString face = MatchFontFace(m_faces, typed);
    if (face.isEmpty() && !(m_flags & kCfForceFontExist))
        face = typed;
    if (face.isEmpty()) {
        MsgBox(this, QStringLiteral("没有使用该名称的字体。\n请从字体列表中选择一种字体。"), QStringLiteral("字体"));
        m_faceEdit->setFocus();
        m_faceEdit->selectAll();
        return false;
    }
    const float size = ParseFontSize(m_sizeEdit->text());
    if (size <= 0.0f) {
        MsgBox(this, QStringLiteral("大小必须是 1 到 1638 之间的数字。"), QStringLiteral("字体"));
        m_sizeEdit->setFocus();
        m_sizeEdit->selectAll();
        return false;
    }
    out->face = face;
    out->size = size;
    out->bold = StyleIndex() & 2;
    out->italic = StyleIndex() & 1;
    out->strikethru = m_strike->isChecked();
    out->underline = m_underline->isChecked();
    out->color = CurrentColor();
    return true;
}

void FontDialog::accept()
{
    FontChoice c;
    if (!Validate(&c))
        return;
    m_choice = c;
    QDialog::accept();
}

bool RunFontDialog(CommonDialog &dlg, QWidget *parent)
{
    if (ModalDialogsForbidden())
        qFatal("font dialog shown with nobody to answer it");
    FontDialog fd(parent);
    fd.Load(dlg);
    if (fd.exec() != QDialog::Accepted)
        return false;
    fd.Store(dlg);
    return true;
}

} // namespace lumora
