#include "rich_text/rich_text_box.h"

#include "document/document_files.h"
#include "document/document_io.h"
#include "document/rtf_reader.h"
#include "document/rtf_writer.h"

#include <QPointer>
#include <QScopeGuard>

namespace lumora {

namespace {

// The longest text the editing area takes: positions are 32-bit.
constexpr qint64 kMaxEditorChars = std::numeric_limits<int>::max() / 2;

QString TooLongReason()
{
    return QStringLiteral("文本太长：编辑区最多能容纳 %1 个字符。").arg(kMaxEditorChars);
}

} // namespace

// The document goes into the edit buffer in one pass; progress is told once
// it is in, so the window repaints with the text shown.
bool RichTextBox::SetDocument(Document doc, const Progress &progress)
{
    if (doc.runs.Length() != doc.text.size())
        doc.runs = RunList(int(doc.text.size()), 0);
    const qint64 length = doc.text.size();
    Buffer().SetDocument(std::move(doc));
    return Shown(length, progress);
}

// After a new document went in: shown from its top, progress told.
bool RichTextBox::Shown(qint64 length, const Progress &progress)
{
    Buffer().SetModified(true);
    SetScrollY(0);
    viewport()->update();
    QPointer<RichTextBox> alive(this);
    return !progress || (progress(length, length) && alive);
}

QByteArray RichTextBox::TextRTF() const
{
    return WriteRtf(Buffer().Store(), Buffer().Pictures(), Buffer().Aligns());
}

bool RichTextBox::SetTextRTF(const QByteArray &rtf, QString *error)
{
    if (rtf.isEmpty())
        return SetDocument(Document());   // text, formats and pictures alike
    Document doc;
    return ReadDocument(rtf, &doc, error) && ShowDocument(std::move(doc), error, {});
}

// A document read whole goes in when its text fits the editing area.
bool RichTextBox::ShowDocument(Document doc, QString *error, const Progress &progress)
{
    if (doc.text.size() > kMaxEditorChars) {
        if (error)
            *error = TooLongReason();
        return false;
    }
    return SetDocument(std::move(doc), progress);
}

bool RichTextBox::LoadFile(const QString &path, QString *error, const Progress &progress, bool *isRtf,
                           QString *notice)
{
    // The window repaints before reading starts and now and then while the
    // file is read and decoded; the progress shown is the filling of the
    // editor, which has not started yet.
    QPointer<RichTextBox> alive(this);
    // Read-only until the new text is in: keys typed meanwhile would go
    // into the document about to be replaced.
    const bool wasReadOnly = IsReadOnly();
    SetReadOnly(true);
    m_loading = true;
    const auto done = qScopeGuard([&] {
        if (alive) {
            m_loading = false;
            SetReadOnly(wasReadOnly);
        }
    });
    if (progress && (!progress(0, 0) || !alive))
        return false;
    Progress reading;
    if (progress)
        reading = [&](qint64, qint64) { return progress(0, 0) && alive; };
    Document doc;
    TextStore text;
    bool rtf = false;
    if (!ReadDocumentFile(path, &doc, &text, error, reading, &rtf))
        return false;   // the file's bytes are let go before the editor fills
    if (reading && !reading(0, 0))
        return false;
    const quint8 omitted = doc.omitted;
    if (text.Length() > kMaxEditorChars) {
        if (error)
            *error = QStringLiteral("无法打开文件“%1”：%2").arg(path, TooLongReason());
        return false;
    }
    const qint64 length = text.Length();
    Buffer().SetDocument(std::move(doc), std::move(text));
    if (!Shown(length, progress))
        return false;
    if (isRtf)
        *isRtf = rtf;
    if (notice)
        *notice = OmittedPartsNotice(omitted);
    return true;
}

QStringList RichTextBox::PlainTextLosses() const
{
    bool color = false, font = false, picture = false;
    const TextStore &store = Buffer().Store();
    const FormatTable &table = store.Formats();
    store.ForEachRun(0, store.Length(), [&](int, int, int format) {
        const CharFormat &f = table.At(format);
        color = color || f.color;
        font = font || !f.family.isEmpty() || f.halfPoints > 0 || f.bold || f.italic || f.underline || f.strike;
        picture = picture || f.picture >= 0;
    });
    QStringList lost;
    if (color)
        lost << QStringLiteral("颜色");
    if (font)
        lost << QStringLiteral("字体");
    if (picture)
        lost << QStringLiteral("图片");
    if (!Buffer().Aligns().isEmpty())
        lost << QStringLiteral("段落对齐");
    return lost;
}

bool RichTextBox::SaveFile(const QString &path, QString *error) const
{
    const DocumentPieces rtf = [this](const std::function<bool(QByteArrayView)> &put) {
        return WriteRtf(Buffer().Store(), Buffer().Pictures(), Buffer().Aligns(), put);
    };
    return WriteDocumentPieces(path, rtf, kMaxRtfFileBytes, error);
}

} // namespace lumora
