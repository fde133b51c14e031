#include "document/document.h"
#include "document/html_writer.h"
#include "rich_text/rich_text_box.h"
#include "rich_text/selection_data.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QtTest>
#include <memory>

using lumora::RichTextBox;
using lumora::SelectionData;

namespace {
// Every copy, drag and primary selection starts at CreateMimeDataFromSelection.
class OfferProbe : public RichTextBox
{
public:
    QMimeData *Offer() const { return CreateMimeDataFromSelection(); }
};

// A listing of n lines, a stretch of it red, all but the first and last
// three characters selected; *text and *html get what Ctrl+C gave for that
// selection when it was built on the spot.
void FillAndSelect(RichTextBox &box, int lines, QString *text, QString *html)
{
    QStringList l;
    for (int i = 0; i < lines; ++i)
        l << QStringLiteral("%1: mov eax, [ebx+%1] <&>").arg(i);
    box.SetDocument(lumora::Document::FromText(l.join(QLatin1String("\r\n"))));
    box.Select(40, 100);
    box.SetSelColor(0x000000FF);
    const int from = 3, to = box.TextLength() - 3;
    box.Select(from, to - from);
    *text = box.SelText().replace(QLatin1String("\r\n"), QLatin1String("\n"));
    *html = QStringLiteral("<pre>") + lumora::HtmlBody(box.Snapshot(), from, to) + QStringLiteral("</pre>");
}
} // namespace

class TstSelectionData : public QObject
{
    Q_OBJECT
private slots:
    void selectionBuiltWhenRead_data();
    void selectionBuiltWhenRead();
    void changedEditorOffersNothingUnread_data();
    void changedEditorOffersNothingUnread();
    void clipboardCopyOutlivesEdits_data();
    void clipboardCopyOutlivesEdits();
};

void TstSelectionData::selectionBuiltWhenRead_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("builtAtOnce");
    QTest::newRow("small: built at once") << 20 << true;
    QTest::newRow("200k lines: built when read") << 200000 << false;
}

// Qt offers each new selection as the primary selection on X11: that must
// cost nothing until someone reads it, and then give what Ctrl+C gives.
void TstSelectionData::selectionBuiltWhenRead()
{
    QFETCH(int, lines);
    QFETCH(bool, builtAtOnce);
    OfferProbe box;
    QString text, html;
    FillAndSelect(box, lines, &text, &html);
    std::unique_ptr<QMimeData> data;
    for (int i = 0; i < 50; ++i) {
        data.reset(box.Offer());
        QVERIFY(qobject_cast<SelectionData *>(data.get()));
        QCOMPARE(static_cast<SelectionData *>(data.get())->IsBuilt(), builtAtOnce);
    }
    QVERIFY(data->hasText() && data->hasHtml());
    QCOMPARE(data->text(), text);
    QCOMPARE(data->html(), html);
    QCOMPARE(data->data(QStringLiteral("text/plain")), text.toUtf8());
}

void TstSelectionData::changedEditorOffersNothingUnread_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("readBefore");
    for (int read = 0; read < 2; ++read) {
        const char *how = read ? "read before " : "unread, ";
        QTest::addRow("%styped", how) << 0 << bool(read);
        QTest::addRow("%scoloured", how) << 1 << bool(read);
        QTest::addRow("%stexts undone", how) << 2 << bool(read);
        QTest::addRow("%seditor gone", how) << 3 << bool(read);
    }
}

// An offer not read before the editor changed gives nothing rather than a
// stretch of the changed text; what was read before stays (a second
// middle-click paste pastes the same).
void TstSelectionData::changedEditorOffersNothingUnread()
{
    QFETCH(int, change);
    QFETCH(bool, readBefore);
    auto box = std::make_unique<OfferProbe>();
    QString text, html;
    FillAndSelect(*box, 4000, &text, &html);
    std::unique_ptr<QMimeData> data(box->Offer());
    if (readBefore)
        QVERIFY(data->text() == text && data->html() == html);
    switch (change) {
    case 0: box->SetSelText(QStringLiteral("x")); break;
    case 1: box->SetSelColor(0x00FF0000); break;
    case 2: box->SetSelText(QStringLiteral("x")); box->Undo(); break;
    default: box.reset();
    }
    QCOMPARE(data->formats().isEmpty(), !readBefore);
    QCOMPARE(data->hasText(), readBefore);
    QCOMPARE(data->text(), readBefore ? text : QString());
    QCOMPARE(data->html(), readBefore ? html : QString());
}

void TstSelectionData::clipboardCopyOutlivesEdits_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Ctrl+C") << 0;
    QTest::newRow("Ctrl+X") << 1;
    QTest::newRow("menu") << 2;
}

void TstSelectionData::clipboardCopyOutlivesEdits()
{
    QFETCH(int, how);
    OfferProbe box;
    QString text, html;
    FillAndSelect(box, 4000, &text, &html);
    if (how == 0)
        box.CopySelection();
    else if (how == 1)
        box.Cut();
    else
        box.Copy();
    box.SetSelText(QStringLiteral("changed"));
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QCOMPARE(data->text(), text);
    QCOMPARE(data->html(), html);
}

QTEST_MAIN(TstSelectionData)
#include "tst_selection_data.moc"
