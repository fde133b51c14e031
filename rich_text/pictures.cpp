#include "rich_text/pictures.h"

#include "document/file_paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <sys/stat.h>

namespace lumora {

namespace {
// Refuse images whose pixel data alone would need more than this (in MB),
// so a corrupt header cannot make us allocate gigabytes.
constexpr int kPictureAllocationLimitMb = 256;
}

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
