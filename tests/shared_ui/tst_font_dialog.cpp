#include "shared_ui/common_dialog.h"
#include "shared_ui/font_dialog.h"
#include "shared_ui/message_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace lumora;

namespace {

// A face every test machine here has, in the list's own spelling.
QString SomeFace()
{
    const QStringList faces = AvailableFontFaces();
    for (const char *f : {"DejaVu Sans", "Nimbus Sans", "WenQuanYi Micro Hei"}) {
        const QString m = MatchFontFace(faces, QString::fromUtf8(f));
        if (!m.isEmpty())
            return m;
    }
    return faces.value(0);
}

int ColorRow(OleColor c)
{
    const auto &colors = StandardFontColors();
    for (int i = 0; i < colors.size(); ++i) {
        if (colors[i].color == c)
            return i;
    }
    return -1;
}

// Records the boxes the dialog shows instead of showing them.
struct Boxes
{
    QList<MsgRequest> shown;
    Boxes()
    {
        SetMsgResponder([this](const MsgRequest &r) {
            shown.append(r);
            return MsgAnswer::Ok;
        });
    }
    ~Boxes() { SetMsgResponder({}); }
};

} // namespace

class TstFontDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void defaultsAreValid();
    void facesAreInstalledAndUnique();
    void matchFontFace_data();
    void matchFontFace();
    void parseFontSize_data();
    void parseFontSize();
    void standardColors();
    void confirmThroughControls_data();
    void confirmThroughControls();
    void cancelKeepsEarlierValues();
    void valuesKeptBetweenUses();
    void refusals_data();
    void refusals();
    void withoutForceExistAnyNameGoes();
    void withoutEffectsLeavesThemAlone();
    void customColourKept();
    void typingFollowsListAndSample();
    void listPickWritesEdit();
    void runFontDialogStoresOnlyOnOk();

private:
    template<typename T> T *Child(const char *name) const
    {
        T *w = m_dialog->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    void TypeInto(const char *edit, const QString &text)
    {
        auto *e = Child<QLineEdit>(edit);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    }
    void ClickOk() { QTest::mouseClick(Child<QPushButton>("okButton"), Qt::LeftButton); }

    FontDialog *m_dialog = nullptr;
};

void TstFontDialog::init()
{
    m_dialog = new FontDialog;
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
}

void TstFontDialog::cleanup()
{
    delete m_dialog;
    m_dialog = nullptr;
}

void TstFontDialog::defaultsAreValid()
{
    // A shared dialog never used yet: the values a cancelled first use
    // would have handed on must make a sound font.
    CommonDialog cd(nullptr);
    QCOMPARE(cd.FontName, DefaultFontDialogFace());
    QVERIFY(!MatchFontFace(AvailableFontFaces(), cd.FontName).isEmpty());
    QCOMPARE(cd.FontSize, 9.0f);
    QCOMPARE(cd.Color, OleColor(0));
    QVERIFY(!cd.FontBold && !cd.FontItalic && !cd.FontStrikethru && !cd.FontUnderline);

    // Confirmed untouched, the dialog gives them back unchanged.
    cd.Flags = kCfScreenFonts | kCfEffects | kCfForceFontExist;
    m_dialog->Load(cd);
    ClickOk();
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    CommonDialog out(nullptr);
    out.FontSize = 30;
    out.FontBold = true;
    m_dialog->Store(out);
    QCOMPARE(out.FontName, cd.FontName);
    QCOMPARE(out.FontSize, 9.0f);
    QVERIFY(!out.FontBold);
}

void TstFontDialog::facesAreInstalledAndUnique()
{
    const QStringList faces = AvailableFontFaces();
    QVERIFY(faces.size() > 1);
    QSet<QString> folded;
    for (const QString &f : faces) {
        QVERIFY2(!f.contains(QLatin1Char('[')), qPrintable(f));
        QVERIFY2(!folded.contains(f.toCaseFolded()), qPrintable(f));
        folded.insert(f.toCaseFolded());
        if (f != DefaultFontDialogFace())
            QVERIFY2(QFontDatabase::hasFamily(f), qPrintable(f));
    }
    QVERIFY(faces.contains(DefaultFontDialogFace()));
}

void TstFontDialog::matchFontFace_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    const QStringList faces{"DejaVu Sans", "DejaVu Sans Mono", "宋体"};
    QTest::newRow("exact") << "DejaVu Sans" << "DejaVu Sans";
    QTest::newRow("case and blanks") << "  dejavu sans MONO " << "DejaVu Sans Mono";
    QTest::newRow("chinese") << "宋体" << "宋体";
    QTest::newRow("prefix only") << "DejaVu" << "";
    QTest::newRow("unknown") << "Comic Nonsense" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("blank") << "   " << "";
}

void TstFontDialog::matchFontFace()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    const QStringList faces{"DejaVu Sans", "DejaVu Sans Mono", "宋体"};
    QCOMPARE(MatchFontFace(faces, typed), expected);
}

void TstFontDialog::parseFontSize_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("points");
    QTest::newRow("whole") << "9" << 9.0f;
    QTest::newRow("half") << "10.5" << 10.5f;
    QTest::newRow("blanks") << " 12 " << 12.0f;
    QTest::newRow("to tenths") << "9.04" << 9.0f;
    QTest::newRow("lowest") << "1" << 1.0f;
    QTest::newRow("highest") << "1638" << 1638.0f;
    QTest::newRow("too big") << "1639" << 0.0f;
    QTest::newRow("zero") << "0" << 0.0f;
    QTest::newRow("below one") << "0.5" << 0.0f;
    QTest::newRow("negative") << "-9" << 0.0f;
    QTest::newRow("word") << "abc" << 0.0f;
    QTest::newRow("empty") << "" << 0.0f;
    QTest::newRow("nan") << "nan" << 0.0f;
    QTest::newRow("inf") << "inf" << 0.0f;
    QTest::newRow("comma decimal") << "10,5" << 0.0f;
}

void TstFontDialog::parseFontSize()
{
    QFETCH(QString, text);
    QFETCH(float, points);
    QCOMPARE(ParseFontSize(text), points);
}

void TstFontDialog::standardColors()
{
    const auto &colors = StandardFontColors();
    QCOMPARE(colors.size(), 16);
    QSet<OleColor> distinct;
    for (const NamedColor &c : colors)
        distinct.insert(c.color);
    QCOMPARE(distinct.size(), 16);
    QCOMPARE(colors.first().color, OleColor(0));
    // Red sits in the low byte.
    QCOMPARE(QString::fromUtf8(colors[ColorRow(0x0000FF)].name), QStringLiteral("红色"));
    QCOMPARE(QString::fromUtf8(colors[ColorRow(0xFF0000)].name), QStringLiteral("蓝色"));
    QCOMPARE(Child<QComboBox>("colorCombo")->count(), 16);
}

void TstFontDialog::confirmThroughControls_data()
{
    QTest::addColumn<int>("styleRow");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<QString>("size");
    QTest::addColumn<float>("points");
    QTest::addColumn<bool>("strike");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<OleColor>("color");
    QTest::newRow("regular") << 0 << false << false << "9" << 9.0f << false << false << OleColor(0);
    QTest::newRow("italic") << 1 << false << true << "10.5" << 10.5f << true << false << OleColor(0x0000FF);
    QTest::newRow("bold") << 2 << true << false << "72" << 72.0f << false << true << OleColor(0x808000);
    QTest::newRow("bold italic") << 3 << true << true << "200" << 200.0f << true << true << OleColor(0xFFFFFF);
}

void TstFontDialog::confirmThroughControls()
{
    QFETCH(int, styleRow);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(QString, size);
    QFETCH(float, points);
    QFETCH(bool, strike);
    QFETCH(bool, underline);
    QFETCH(OleColor, color);

    const QString face = SomeFace();
    TypeInto("faceEdit", face.toLower());
    Child<QListWidget>("styleList")->setCurrentRow(styleRow);
    TypeInto("sizeEdit", size);
    Child<QCheckBox>("strikeCheck")->setChecked(strike);
    Child<QCheckBox>("underlineCheck")->setChecked(underline);
    Child<QComboBox>("colorCombo")->setCurrentIndex(ColorRow(color));
    ClickOk();

    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QVERIFY(!m_dialog->isVisible());
    CommonDialog cd(nullptr);
    m_dialog->Store(cd);
    QCOMPARE(cd.FontName, face);   // the list's spelling, not the typed one
    QCOMPARE(cd.FontSize, points);
    QCOMPARE(cd.FontBold, bold);
    QCOMPARE(cd.FontItalic, italic);
    QCOMPARE(cd.FontStrikethru, strike);
    QCOMPARE(cd.FontUnderline, underline);
    QCOMPARE(cd.Color, color);
}

void TstFontDialog::cancelKeepsEarlierValues()
{
    CommonDialog cd(nullptr);
    cd.Flags = kCfScreenFonts | kCfEffects | kCfForceFontExist;
    cd.FontSize = 14;
    cd.FontBold = true;
    m_dialog->Load(cd);
    TypeInto("sizeEdit", QStringLiteral("30"));
    Child<QListWidget>("styleList")->setCurrentRow(1);
    Child<QCheckBox>("underlineCheck")->setChecked(true);
    QTest::mouseClick(Child<QPushButton>("cancelButton"), Qt::LeftButton);

    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    QCOMPARE(m_dialog->Choice().size, 14.0f);
    QVERIFY(m_dialog->Choice().bold);
    QVERIFY(!m_dialog->Choice().italic);
    QVERIFY(!m_dialog->Choice().underline);
}

void TstFontDialog::valuesKeptBetweenUses()
{
    CommonDialog cd(nullptr);
    cd.Flags = kCfScreenFonts | kCfEffects | kCfForceFontExist;
    m_dialog->Load(cd);
    const QString face = SomeFace();
    TypeInto("faceEdit", face);
    TypeInto("sizeEdit", QStringLiteral("16"));
    Child<QListWidget>("styleList")->setCurrentRow(3);
    Child<QCheckBox>("strikeCheck")->setChecked(true);
    Child<QComboBox>("colorCombo")->setCurrentIndex(ColorRow(0x008000));
    ClickOk();
    m_dialog->Store(cd);

    // The next use is a new dialog that opens with those values.
    delete m_dialog;
    m_dialog = new FontDialog;
    m_dialog->Load(cd);
    m_dialog->show();
    QCOMPARE(Child<QLineEdit>("faceEdit")->text(), face);
    QCOMPARE(Child<QListWidget>("faceList")->currentItem()->text(), face);
    QCOMPARE(Child<QLineEdit>("sizeEdit")->text(), QStringLiteral("16"));
    QCOMPARE(Child<QListWidget>("sizeList")->currentItem()->text(), QStringLiteral("16"));
    QCOMPARE(Child<QListWidget>("styleList")->currentRow(), 3);
    QCOMPARE(Child<QLineEdit>("styleEdit")->text(), QStringLiteral("粗倾斜"));
    QVERIFY(Child<QCheckBox>("strikeCheck")->isChecked());
    QVERIFY(!Child<QCheckBox>("underlineCheck")->isChecked());
    QCOMPARE(Child<QComboBox>("colorCombo")->currentText(), QStringLiteral("绿色"));
}

void TstFontDialog::refusals_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("field");
    QTest::newRow("unknown face") << "No Such Face 123" << "9" << "faceEdit";
    QTest::newRow("empty face") << "" << "9" << "faceEdit";
    QTest::newRow("face prefix") << SomeFace().left(3) << "9" << "faceEdit";
    QTest::newRow("size zero") << SomeFace() << "0" << "sizeEdit";
    QTest::newRow("size word") << SomeFace() << "big" << "sizeEdit";
    QTest::newRow("size too big") << SomeFace() << "5000" << "sizeEdit";
}

void TstFontDialog::refusals()
{
    QFETCH(QString, face);
    QFETCH(QString, size);
    QFETCH(QString, field);
    Boxes boxes;
    TypeInto("faceEdit", face);
    TypeInto("sizeEdit", size);
    ClickOk();

    QVERIFY(m_dialog->isVisible());
    QVERIFY(m_dialog->result() != QDialog::Accepted);
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].title, QStringLiteral("字体"));
    QCOMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), field);

    // Put right, the same dialog confirms.
    TypeInto("faceEdit", SomeFace());
    TypeInto("sizeEdit", QStringLiteral("11"));
    ClickOk();
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(m_dialog->Choice().size, 11.0f);
}

void TstFontDialog::withoutForceExistAnyNameGoes()
{
    Boxes boxes;
    m_dialog->SetFlags(kCfScreenFonts | kCfEffects);
    TypeInto("faceEdit", QStringLiteral("Some Future Face"));
    ClickOk();
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QCOMPARE(m_dialog->Choice().face, QStringLiteral("Some Future Face"));
    QVERIFY(boxes.shown.isEmpty());
}

void TstFontDialog::withoutEffectsLeavesThemAlone()
{
    CommonDialog cd(nullptr);
    cd.Flags = kCfScreenFonts;
    cd.Color = 0x0000FF;
    cd.FontUnderline = true;
    m_dialog->Load(cd);
    QVERIFY(!Child<QGroupBox>("effectsGroup")->isVisible());
    Child<QListWidget>("styleList")->setCurrentRow(2);
    ClickOk();
    m_dialog->Store(cd);
    QVERIFY(cd.FontBold);
    QCOMPARE(cd.Color, OleColor(0x0000FF));
    QVERIFY(cd.FontUnderline);
}

void TstFontDialog::customColourKept()
{
    CommonDialog cd(nullptr);
    cd.Flags = kCfScreenFonts | kCfEffects | kCfForceFontExist;
    cd.Color = 0x123456;
    m_dialog->Load(cd);
    auto *combo = Child<QComboBox>("colorCombo");
    QCOMPARE(combo->count(), 17);
    QCOMPARE(combo->currentText(), QStringLiteral("自定义"));
    ClickOk();
    cd.Color = 0;
    m_dialog->Store(cd);
    QCOMPARE(cd.Color, OleColor(0x123456));

    // A second odd colour reuses the one extra entry.
    cd.Color = 0x654321;
    m_dialog->Load(cd);
    QCOMPARE(combo->count(), 17);
    QCOMPARE(combo->currentData().value<OleColor>(), OleColor(0x654321));
}

void TstFontDialog::typingFollowsListAndSample()
{
    auto *list = Child<QListWidget>("faceList");
    auto *sample = Child<QLabel>("sample");
    const QString face = SomeFace();
    TypeInto("faceEdit", face.left(face.size() - 1).toUpper());
    // The list moves to the first face starting so; the field keeps what
    // was typed.
    QVERIFY(list->currentItem());
    QVERIFY(list->currentItem()->text().startsWith(face.left(face.size() - 1), Qt::CaseInsensitive));
    QCOMPARE(Child<QLineEdit>("faceEdit")->text(), face.left(face.size() - 1).toUpper());
    TypeInto("faceEdit", face);
    QCOMPARE(list->currentItem()->text(), face);
    QCOMPARE(sample->font().family(), face);

    TypeInto("faceEdit", QStringLiteral("zzzz no face"));
    QVERIFY(!list->currentItem());

    TypeInto("sizeEdit", QStringLiteral("20"));
    QCOMPARE(sample->font().pointSizeF(), 20.0);
    Child<QCheckBox>("strikeCheck")->setChecked(true);
    QVERIFY(sample->font().strikeOut());
    Child<QListWidget>("styleList")->setCurrentRow(3);
    QVERIFY(sample->font().bold() && sample->font().italic());
    Child<QComboBox>("colorCombo")->setCurrentIndex(ColorRow(0x0000FF));
    QCOMPARE(sample->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

void TstFontDialog::listPickWritesEdit()
{
    auto *list = Child<QListWidget>("faceList");
    QVERIFY(list->count() > 1);
    list->setCurrentRow(1);
    QCOMPARE(Child<QLineEdit>("faceEdit")->text(), list->item(1)->text());
    auto *sizes = Child<QListWidget>("sizeList");
    sizes->setCurrentRow(sizes->count() - 1);
    QCOMPARE(Child<QLineEdit>("sizeEdit")->text(), QStringLiteral("72"));
}

void TstFontDialog::runFontDialogStoresOnlyOnOk()
{
    // The modal path itself, answered from inside its own event loop.
    m_dialog->hide();
    const QByteArray noModal = qgetenv("LUMORA_NO_MODAL");
    qunsetenv("LUMORA_NO_MODAL");
    const auto answer = [](bool ok, const QString &size) {
        QTimer::singleShot(0, [=] {
            auto *fd = qobject_cast<FontDialog *>(QApplication::activeModalWidget());
            QVERIFY(fd);
            fd->findChild<QLineEdit *>(QStringLiteral("sizeEdit"))->setText(size);
            if (ok)
                fd->accept();
            else
                fd->reject();
        });
    };
    CommonDialog cd(nullptr);
    cd.Flags = kCfScreenFonts | kCfEffects | kCfForceFontExist;
    answer(true, QStringLiteral("18"));
    const bool first = RunFontDialog(cd, nullptr);
    answer(false, QStringLiteral("40"));
    const bool second = RunFontDialog(cd, nullptr);
    qputenv("LUMORA_NO_MODAL", noModal);

    QVERIFY(first);
    QVERIFY(!second);
    QCOMPARE(cd.FontSize, 18.0f);
}

QTEST_MAIN(TstFontDialog)
#include "tst_font_dialog.moc"
