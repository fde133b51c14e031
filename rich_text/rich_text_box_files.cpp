#include "rich_text/rich_text_box.h"

#include "document/document_files.h"
#include "document/document_io.h"
#include "rich_text/format_layer.h"
#include "rich_text/layer_layout.h"
#include "rich_text/pictures.h"
#include "document/rtf_reader.h"
#include "document/rtf_writer.h"
#include "rich_text/text_mirror.h"
#include "document/text_lines.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

namespace lumora {

namespace {

// How often a long load reports progress (and so lets the window repaint).
constexpr int kProgressEveryMs = 50;

// Characters Qt's document cannot hold as characters (it would take them
// for paragraph or frame breaks), and a CR or LF outside a CR LF, become
// U+FFFD, keeping every position.
bool ForeignAt(const QChar *s, qsizetype n, qsizetype i)
{
    const char16_t c = s[i].unicode();
    return c == QChar::ParagraphSeparator || c == 0xFDD0 || c == 0xFDD1
        || (c == u'\r' && (i + 1 >= n || s[i + 1] != u'\n')) || (c == u'\n' && (i == 0 || s[i - 1] != u'\r'));
}

void SanitizeForQt(QString &text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && !ForeignAt(text.constData(), n, i))
        ++i;
    if (i == n)
        return;   // nothing to replace: no copy of a shared text
    QChar *d = text.data();
    for (; i < n; ++i) {
        if (ForeignAt(d, n, i))
            d[i] = QChar(QChar::ReplacementCharacter);
    }
}

// Where a slice of the fill that starts at `at` ends: after a quarter million
// characters or after 16,384 paragraphs, whichever comes first (each costs
// Qt a few microseconds), at the end of a line where there is one.
qsizetype SliceEnd(const QString &text, qsizetype at)
{
    constexpr int kSliceLines = 16384;
    const qsizetype n = text.size();
    const qsizetype limit = std::min(n, at + kSliceChars);
    const QChar *d = text.constData();
    int lines = 0;
    qsizetype lastBreak = -1;
    for (qsizetype i = at; i < limit; ++i) {
        if (d[i] == u'\n') {
            lastBreak = i;
            if (++lines == kSliceLines)
                break;
        }
    }
    if (limit == n && lines < kSliceLines)
        return n;
    return lastBreak >= 0 ? lastBreak + 1 : limit;
}

Qt::Alignment ToQt(Align a)
{
    switch (a) {
    case Align::Center: return Qt::AlignHCenter;
    case Align::Right: return Qt::AlignRight;
    case Align::Justify: return Qt::AlignJustify;
    default: return Qt::AlignLeft;
    }
}

Align FromQt(Qt::Alignment a)
{
    if (a & Qt::AlignHCenter)
        return Align::Center;
    if (a & Qt::AlignRight)
        return Align::Right;
    if (a & Qt::AlignJustify)
        return Align::Justify;
    return Align::Left;
}

} // namespace

Document RichTextBox::Snapshot() const
{
    Document d;
    d.text = m_mirror->Raw();
    d.formats = m_layer->Formats();
    d.runs = m_layer->Runs();
    d.pictures = m_layer->Pictures();
    if (document()->property("lumoraAligned").toBool()) {
        int n = 0;
        for (QTextBlock b = document()->begin(); b.isValid(); b = b.next(), ++n) {
            const Align a = FromQt(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask);
            if (a != Align::Left)
                d.aligns.append({n, a});
        }
    }
    return d;
}

// Fills Qt's document with the text, pictures as image objects, slice by
// slice.  The mirror and the layer are told of the result once, at the end.
void RichTextBox::FillDocument(const Document &doc, const Progress &progress, bool *abandoned)
{
    QPointer<RichTextBox> alive(this);
    QTextDocument *d = document();
    QTextCursor c(d);
    QElapsedTimer clock;
    clock.start();
    qint64 lastReport = 0;
    bool first = true;   // the first slice shows at once
    const qsizetype n = doc.text.size();
    qsizetype at = 0;
    qsizetype picture = doc.text.indexOf(QChar(QChar::ObjectReplacementCharacter));
    while (at < n) {
        qsizetype end = SliceEnd(doc.text, at);
        if (picture >= 0 && picture < at)
            picture = doc.text.indexOf(QChar(QChar::ObjectReplacementCharacter), at);
        if (picture >= 0 && picture < end)
            end = picture;
        if (end > at)
            c.insertText(doc.text.mid(at, end - at));
        if (end == picture) {
            const int id = doc.runs.IsEmpty() ? -1 : doc.formats.At(doc.runs.FormatAt(int(picture))).picture;
            if (id >= 0 && id < doc.pictures.size()) {
                const Picture &p = doc.pictures[id];
                QTextImageFormat f;
                f.setName(AddPictureResource(d, p.image));
                f.setWidth(p.width);
                f.setHeight(p.height);
                c.insertImage(f);
            } else {
                c.insertText(QString(QChar(QChar::ObjectReplacementCharacter)));
            }
            end = picture + 1;
        }
        at = end;
        if (progress && (first || clock.elapsed() - lastReport >= kProgressEveryMs)) {
            first = false;
            lastReport = clock.elapsed();
            if (!progress(at, n) || !alive) {
                *abandoned = true;
                return;
            }
        }
    }
    for (const auto &a : doc.aligns) {
        QTextBlock b = d->findBlockByNumber(a.first);
        if (!b.isValid())
            continue;
        QTextBlockFormat bf;
        bf.setAlignment(ToQt(a.second));
        QTextCursor(b).mergeBlockFormat(bf);
    }
    d->setProperty("lumoraAligned", !doc.aligns.isEmpty());
}

bool RichTextBox::SetDocument(Document doc, const Progress &progress)
{
    SanitizeForQt(doc.text);
    if (doc.runs.Length() != doc.text.size())
        doc.runs = RunList(int(doc.text.size()), 0);
    QTextDocument *d = document();
    const bool wasReadOnly = isReadOnly();
    setReadOnly(true);
    m_layout->SetLayer(nullptr, nullptr);
    m_mirror->SetSuspended(true);
    m_layer->SetSuspended(true);
    // Filling is no step to undo: the history starts anew with the document.
    d->setUndoRedoEnabled(false);
    d->clear();
    setCurrentCharFormat(QTextCharFormat());
    bool abandoned = false;
    QPointer<RichTextBox> alive(this);
    m_loading = true;
    FillDocument(doc, progress, &abandoned);
    if (!alive)
        return false;
    m_loading = false;
    if (abandoned) {
        // What got in stays, plainly formatted, and editable again.
        m_mirror->SetSuspended(false);
        m_mirror->Reset(document()->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n")));
        m_layer->Reset(FormatTable(), RunList(m_mirror->Length(), 0), {});
        m_layout->SetLayer(m_layer, m_mirror);
        d->setUndoRedoEnabled(true);
        setReadOnly(wasReadOnly);
        return false;
    }
    d->setUndoRedoEnabled(true);
    m_mirror->SetSuspended(false);
    m_mirror->Reset(doc.text);
    m_layer->Reset(std::move(doc.formats), std::move(doc.runs), std::move(doc.pictures));
    m_layout->SetLayer(m_layer, m_mirror);
    setReadOnly(wasReadOnly);
    moveCursor(QTextCursor::Start);
    viewport()->update();
    return true;
}

QByteArray RichTextBox::TextRTF() const
{
    return WriteRtf(Snapshot());
}

bool RichTextBox::SetTextRTF(const QByteArray &rtf, QString *error)
{
    if (rtf.isEmpty())
        return SetDocument(Document());   // text, formats and pictures alike
    Document doc;
    return ReadDocument(rtf, &doc, error) && ShowDocument(std::move(doc), error, {});
}

// A document read whole goes in when every line fits the editing area.
bool RichTextBox::ShowDocument(Document doc, QString *error, const Progress &progress)
{
    if (!CanShowText(doc.text, error))
        return false;
    return SetDocument(std::move(doc), progress);
}

bool RichTextBox::LoadFile(const QString &path, QString *error, const Progress &progress, bool *isRtf,
                           QString *notice)
{
    // The window repaints before reading starts and now and then while the
    // file is read and decoded; the progress shown is the filling of the
    // editor, which has not started yet.
    QPointer<RichTextBox> alive(this);
    if (progress && (!progress(0, 0) || !alive))
        return false;
    Progress reading;
    if (progress)
        reading = [&](qint64, qint64) { return progress(0, 0) && alive; };
    Document doc;
    bool rtf = false;
    if (!ReadDocumentFile(path, &doc, error, reading, &rtf))
        return false;   // the file's bytes are let go before the editor fills
    if (reading && !reading(0, 0))
        return false;
    const quint8 omitted = doc.omitted;
    QString why;
    if (!ShowDocument(std::move(doc), &why, progress)) {
        if (error && !why.isEmpty())
            *error = QStringLiteral("无法打开文件“%1”：%2").arg(path, why);
        return false;
    }
    if (isRtf)
        *isRtf = rtf;
    if (notice)
        *notice = OmittedPartsNotice(omitted);
    return true;
}

QStringList RichTextBox::PlainTextLosses() const
{
    bool color = false, font = false, picture = false;
    const FormatTable &table = m_layer->Formats();
    for (const FormatRun &r : m_layer->Runs().Runs()) {
        const CharFormat &f = table.At(r.format);
        color = color || f.color;
        font = font || !f.family.isEmpty() || f.halfPoints > 0 || f.bold || f.italic || f.underline || f.strike;
        picture = picture || f.picture >= 0;
    }
    QStringList lost;
    if (color)
        lost << QStringLiteral("颜色");
    if (font)
        lost << QStringLiteral("字体");
    if (picture)
        lost << QStringLiteral("图片");
    if (!Snapshot().aligns.isEmpty())
        lost << QStringLiteral("段落对齐");
    return lost;
}

bool RichTextBox::SaveFile(const QString &path, QString *error) const
{
    return WriteDocumentBytes(path, TextRTF(), error);
}

} // namespace lumora
