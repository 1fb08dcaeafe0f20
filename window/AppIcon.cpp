#include "window/AppIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QtMath>
#include <algorithm>

namespace {

constexpr int GRID = 32;
const QColor YELLOW(255, 255, 0);
const QColor CYAN(0, 255, 255);

struct Gear {
    QPointF centre;
    double outer;
    double inner;
    int teeth;
    QColor fill;
};

// Small gears first: the large ones are drawn over them.
const Gear GEARS[] = {
    {{5.5, 5.5}, 5.0, 3.5, 6, CYAN},
    {{26.0, 26.0}, 5.0, 3.5, 6, CYAN},
    {{21.0, 10.5}, 10.0, 7.5, 9, YELLOW},
    {{10.5, 21.0}, 10.0, 7.5, 9, YELLOW},
};

QPolygonF Outline(const Gear& gear)
{
    // Square teeth: each pitch holds a tooth with nearly radial flanks and a gap.
    const double corners[4][2] = {
        {0.0, gear.inner}, {0.08, gear.outer}, {0.42, gear.outer}, {0.5, gear.inner}};
    const double pitch = 2 * M_PI / gear.teeth;
    QPolygonF outline;
    for (int tooth = 0; tooth < gear.teeth; ++tooth)
        for (const auto& [fraction, radius] : corners) {
            double angle = pitch * (tooth + fraction);
            outline << gear.centre + QPointF(radius * qCos(angle), radius * qSin(angle));
        }
    return outline;
}

double HoleRadius(const Gear& gear)
{
    return gear.inner * 0.35;
}

void Draw(QPainter& painter)
{
    for (const Gear& gear : GEARS) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(gear.fill);
        painter.drawPolygon(Outline(gear));
        painter.setBrush(Qt::black);
        painter.drawEllipse(gear.centre, HoleRadius(gear), HoleRadius(gear));
    }
}

} // namespace

QImage AppIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const bool pixelArt = size == GRID;
    // At its own size the icon keeps to a 16-colour palette: no antialiasing.
    painter.setRenderHint(QPainter::Antialiasing, !pixelArt);
    painter.scale(static_cast<double>(size) / GRID, static_cast<double>(size) / GRID);
    Draw(painter);
    painter.end();
    if (!pixelArt)
        return image;
    const QList<QRgb> palette = {qRgba(0, 0, 0, 0), qRgb(0, 0, 0), YELLOW.rgb(), CYAN.rgb()};
    return image.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither | Qt::AvoidDither);
}

QString AppIconSvg()
{
    QString svg = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
                                 "viewBox=\"0 0 %1 %1\">\n")
                      .arg(GRID);
    for (const Gear& gear : GEARS) {
        QStringList points;
        for (const QPointF& point : Outline(gear))
            points << QStringLiteral("%1,%2").arg(point.x(), 0, 'f', 3).arg(point.y(), 0, 'f', 3);
        svg +=
            QStringLiteral("  <polygon points=\"%1\" fill=\"%2\" stroke=\"#000000\" stroke-width=\"1\"/>\n")
                .arg(points.join(u' '), gear.fill.name());
        svg += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"#000000\"/>\n")
                   .arg(gear.centre.x())
                   .arg(gear.centre.y())
                   .arg(HoleRadius(gear), 0, 'f', 3);
    }
    return svg + QStringLiteral("</svg>\n");
}

namespace {

// Draws the icon at whatever size is asked for, when it is asked for: making
// every size up front would hold up the start of the program.
class GearIconEngine final : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(rect.width(), rect.height());
        painter->drawImage(QRect(rect.topLeft(), QSize(side, side)), AppIconImage(side));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, pixmap.rect(), mode, state);
        return pixmap;
    }
    QIconEngine* clone() const override { return new GearIconEngine; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {QSize(16, 16), QSize(32, 32), QSize(48, 48), QSize(64, 64)};
    }
};

} // namespace

QIcon AppIcon()
{
    return QIcon(new GearIconEngine);
}
