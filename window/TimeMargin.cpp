#include "window/TimeMargin.h"

#include <QPaintEvent>
#include <QPainter>

#include "window/ReceiveArea.h"

namespace {

const QString CHARACTERS = QStringLiteral("0123456789:.");
constexpr int COLON = 10, POINT = 11;

} // namespace

TimeMargin::TimeMargin(ReceiveArea& area)
    : QWidget(&area), area_(area), font_(QRawFont::fromFont(area.font())),
      glyphs_(font_.glyphIndexesForString(CHARACTERS)), advances_(font_.advancesForGlyphIndexes(glyphs_))
{
    const QRect inside = area.contentsRect();
    setGeometry(inside.left(), inside.top(), WidthFor(area.fontMetrics()), inside.height());
}

int TimeMargin::WidthFor(const QFontMetrics& metrics)
{
    return metrics.horizontalAdvance(QStringLiteral("00:00:00.000")) + 2 * PADDING;
}

void TimeMargin::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), area_.palette().color(QPalette::AlternateBase));
    painter.setPen(area_.palette().color(QPalette::PlaceholderText));
    const qreal ascent = area_.fontMetrics().ascent();
    for (const ReceiveArea::TimeInView& line : area_.TimesInView())
        DrawTime(painter, line.top + ascent, line.time);
}

void TimeMargin::DrawTime(QPainter& painter, qreal baseline, int time)
{
    const int parts[] = {time / 3'600'000, time / 60'000 % 60, time / 1000 % 60, time % 1000};
    QList<int> characters;
    for (int part = 0; part < 4; ++part) {
        if (part > 0)
            characters.push_back(part == 3 ? POINT : COLON);
        if (part == 3)
            characters.push_back(parts[part] / 100);
        characters.push_back(parts[part] / 10 % 10);
        characters.push_back(parts[part] % 10);
    }
    QList<quint32> glyphs;
    QList<QPointF> positions;
    qreal x = 0;
    for (int character : characters) {
        glyphs.push_back(glyphs_[character]);
        positions.push_back({x, 0});
        x += advances_[character].x();
    }
    QGlyphRun run;
    run.setRawFont(font_);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter.drawGlyphRun(QPointF(width() - PADDING - x, baseline), run);
}
