#include "module1/geometry.h"

#include "module1/number_format.h"

#include <QLocale>
#include <QVariant>
#include <QWidget>

namespace lumora {

namespace {

const char kTag[] = "Tag";

bool ReadNumber(const QString &text, double *out)
{
    bool ok = false;
    double v = QLocale().toDouble(text, &ok);
    if (!ok)
        v = QLocale::c().toDouble(text, &ok);
    if (ok)
        *out = v;
    return ok;
}

} // namespace

QString GeometryRecord(double left, double top, double width, double height)
{
    QString r;
    for (double v : {left, top, width, height})
        r += FormatGeneral(v, 7) + QLatin1Char(' ');
    return r;
}

void ParseGeometryRecord(const QString &record, double values[5])
{
    int readPos = 0;   // 0-based here; the record format counts from 1
    for (int i = 0; i < 5; ++i) {
        const int p = int(record.indexOf(QLatin1Char(' '), readPos));
        if (p >= 0) {
            // A piece that is not a number leaves its slot as it was.
            ReadNumber(record.mid(readPos, p - readPos), &values[i]);
            readPos = p + 1;
        } else {
            values[i] = 0.0;
        }
    }
}

void RecordGeometry(LayoutWindow &window)
{
    GeometryReference &ref = window.Reference();
    ref.RefWidth = qint32(RoundHalfEven(double(window.ScaleWidth())));
    ref.RefHeight = qint32(RoundHalfEven(double(window.ScaleHeight())));
    for (QObject *control : window.Controls()) {
        auto *w = qobject_cast<QWidget *>(control);
        if (!w)
            continue;   // no position or size: its Tag stays as it was
        const QRect g = w->geometry();
        w->setProperty(kTag, GeometryRecord(g.x() * kTwipsPerPixel, g.y() * kTwipsPerPixel,
                                            g.width() * kTwipsPerPixel, g.height() * kTwipsPerPixel));
    }
}

void ApplyGeometry(LayoutWindow &window)
{
    const GeometryReference &ref = window.Reference();
    if (ref.RefWidth == 0 || ref.RefHeight == 0)
        return;
    const double hf = double(window.ScaleWidth()) / double(ref.RefWidth);
    const double vf = double(window.ScaleHeight()) / double(ref.RefHeight);
    double values[5] = {0, 0, 0, 0, 0};
    for (QObject *control : window.Controls()) {
        ParseGeometryRecord(control->property(kTag).toString(), values);
        auto *w = qobject_cast<QWidget *>(control);
        if (!w)
            continue;   // nothing to move
        const auto px = [](double twips) { return qRound(twips / kTwipsPerPixel); };
        w->setGeometry(px(values[0] * hf), px(values[1] * vf), px(values[2] * hf), px(values[3] * vf));
    }
}

} // namespace lumora
