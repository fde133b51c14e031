#include "rich_text/pictures.h"

#include "document/file_paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QAbstractTextDocumentLayout>
#include <QImageReader>
#include <QPainter>
#include <QTextObjectInterface>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

namespace lumora {

namespace {
// Refuse images whose pixel data alone would need more than this (in MB),
// so a corrupt header cannot make us allocate gigabytes.
constexpr int kPictureAllocationLimitMb = 256;
}

namespace {

class PictureDrawing : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    explicit PictureDrawing(QTextDocument *doc) : QObject(doc), m_doc(doc) {}

    QSizeF intrinsicSize(QTextDocument *, int, const QTextFormat &format) override
    {
        const QTextImageFormat f = format.toImageFormat();
        QSizeF size(f.width(), f.height());
        if (size.width() <= 0 || size.height() <= 0)
            size = Image(f).size();
        return size;
    }

    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *, int, const QTextFormat &format) override
    {
        const QImage img = Image(format.toImageFormat());
        if (!img.isNull())
            painter->drawImage(rect, img);
        else
            DrawPictureBox(painter, rect);
    }

private:
    QImage Image(const QTextImageFormat &f) const
    {
        return m_doc->resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
    }

    QTextDocument *m_doc;
};

} // namespace

void DrawPictureBox(QPainter *painter, const QRectF &rect)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->fillRect(rect, kPictureBoxFill);
    painter->setPen(QPen(kPictureBoxFrame, 0));
    painter->setBrush(Qt::NoBrush);
    // The frame lies inside the picture's own rectangle.
    painter->drawRect(rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

void RegisterPictureDrawing(QTextDocument *doc)
{
    doc->documentLayout()->registerHandler(QTextFormat::ImageObject, new PictureDrawing(doc));
}

QString AddPictureResource(QTextDocument *doc, const QImage &image)
{
    int n = doc->property("lumoraPictureCount").toInt();
    QString name;
    do {
        name = QStringLiteral("lumora-picture-%1").arg(++n);
    } while (doc->resource(QTextDocument::ImageResource, QUrl(name)).isValid());
    doc->setProperty("lumoraPictureCount", n);
    doc->addResource(QTextDocument::ImageResource, QUrl(name), image);
    return name;
}

void InsertPicture(QTextCursor &cursor, const QImage &image)
{
    QTextImageFormat fmt;
    fmt.setName(AddPictureResource(cursor.document(), image));
    fmt.setWidth(image.width());
    fmt.setHeight(image.height());
    cursor.insertImage(fmt);
}

QImage ReadPictureFile(const QString &path, QString *error)
{
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = QCoreApplication::translate("lumora", "无法读取图片文件“%1”：%2").arg(path, reason);
        return QImage();
    };
    // Looked at before anything opens it: a pipe would hold the window
    // until somebody wrote to it.
    QFile file;
    struct stat st;
    QString reason;
    if (!OpenForReading(path, &file, &st, &reason))
        return fail(reason);
    QImageReader::setAllocationLimit(kPictureAllocationLimitMb);
    // The name's ending is only a hint; the content decides.
    QImageReader reader(&file, QFileInfo(path).suffix().toLower().toLatin1());
    QImage best;
    if (reader.canRead()) {
        // ICO files hold several images; the largest is the one to show.
        const int count = std::max(1, reader.imageCount());
        for (int i = 0; i < count; ++i) {
            if (i > 0 && !reader.jumpToImage(i))
                break;
            QImage img = reader.read();
            if (!img.isNull() && qint64(img.width()) * img.height() > qint64(best.width()) * best.height())
                best = img;
        }
    }
    return best.isNull() ? fail(QStringLiteral("不是可以识别的图片")) : best;
}

} // namespace lumora

#include "pictures.moc"
