#include "rich_text_box.h"

#include "document.h"
#include "document_files.h"
#include "qt_document_adapter.h"
#include "rtf_reader.h"
#include "rtf_writer.h"
#include "text_codec.h"

namespace lumora {

QByteArray RichTextBox::TextRTF() const
{
    return WriteRtf(DocumentFromQt(*document()));
}

bool RichTextBox::SetTextRTF(const QByteArray &rtf, QString *error)
{
    if (rtf.isEmpty()) {
        MirrorSuspendScope scope(m_mirror);
        clear();   // text, formats and image resources alike
        setCurrentCharFormat(QTextCharFormat());
        return true;
    }
    return LoadBytes(rtf, error);
}

bool RichTextBox::LoadBytes(const QByteArray &bytes, QString *error)
{
    if (IsRtf(bytes)) {
        Document doc;
        if (!ReadRtf(bytes, &doc, error))
            return false;
        MirrorSuspendScope scope(m_mirror);
        FillQtDocument(doc, document());
    } else {
        QString text;
        if (!DecodeTextFile(bytes, &text, error))
            return false;
        MirrorSuspendScope scope(m_mirror);
        // Plain text comes in with the editor's default format, not with
        // whatever format the caret happened to carry.
        setCurrentCharFormat(QTextCharFormat());
        setPlainText(text);
    }
    moveCursor(QTextCursor::Start);
    return true;
}

bool RichTextBox::LoadFile(const QString &path, QString *error)
{
    QByteArray bytes;
    if (!ReadFileBytes(path, &bytes, error))
        return false;
    QString why;
    if (!LoadBytes(bytes, &why)) {
        if (error)
            *error = QStringLiteral("无法打开文件“%1”：%2").arg(path, why);
        return false;
    }
    return true;
}

bool RichTextBox::SaveFile(const QString &path, QString *error) const
{
    return WriteFileAtomically(path, TextRTF(), error);
}

bool WriteTextFile(const QString &path, const QString &crlfText, QString *error)
{
    QByteArray bytes;
    QString why;
    if (!EncodeTextFile(crlfText, &bytes, &why)) {
        if (error)
            *error = QStringLiteral("无法保存文件“%1”：%2。原来的文件没有改动。").arg(path, why);
        return false;
    }
    return WriteFileAtomically(path, bytes, error);
}

} // namespace lumora
