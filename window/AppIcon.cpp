#include "AppIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QtMath>

namespace {

void DrawGear(QPainter& painter, QPointF centre, double outer, double inner, int teeth, QColor fill)
{
    // Square teeth: each pitch holds a tooth with nearly radial flanks and a gap.
    const double corners[4][2] = {{0.0, inner}, {0.08, outer}, {0.42, outer}, {0.5, inner}};
    const double pitch = 2 * M_PI / teeth;
    QPolygonF outline;
    for (int tooth = 0; tooth < teeth; ++tooth)
        for (const auto& [fraction, radius] : corners) {
            double angle = pitch * (tooth + fraction);
            outline << centre + QPointF(radius * qCos(angle), radius * qSin(angle));
        }
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(fill);
    painter.drawPolygon(outline);
    double hole = inner * 0.35;
    painter.setBrush(Qt::black);
    painter.drawEllipse(centre, hole, hole);
}

} // namespace

QImage AppIconImage()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // No antialiasing: the icon keeps to a 16-colour palette.
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor yellow(255, 255, 0);
    const QColor cyan(0, 255, 255);
    DrawGear(painter, {5.5, 5.5}, 5.0, 3.5, 6, cyan);
    DrawGear(painter, {26.0, 26.0}, 5.0, 3.5, 6, cyan);
    DrawGear(painter, {21.0, 10.5}, 10.0, 7.5, 9, yellow);
    DrawGear(painter, {10.5, 21.0}, 10.0, 7.5, 9, yellow);
    painter.end();
    const QList<QRgb> palette = {qRgba(0, 0, 0, 0), qRgb(0, 0, 0), yellow.rgb(), cyan.rgb()};
    return image.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither | Qt::AvoidDither);
}

QIcon AppIcon()
{
    return QIcon(QPixmap::fromImage(AppIconImage()));
}
