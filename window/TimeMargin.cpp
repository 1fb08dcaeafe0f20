#include "window/TimeMargin.h"

#include <QPaintEvent>
#include <QPainter>

#include "window/ReceiveArea.h"

namespace {

// All that a time is written with.
const QString CHARACTERS = QStringLiteral("0123456789:.+");

} // namespace

TimeMargin::TimeMargin(ReceiveArea& area)
    : QWidget(&area), area_(area), font_(QRawFont::fromFont(area.font())),
      glyphs_(font_.glyphIndexesForString(CHARACTERS)), advances_(font_.advancesForGlyphIndexes(glyphs_))
{
    Place();
}

int TimeMargin::WidthFor(const QFontMetrics& metrics, ReceiveArea::Times times)
{
    if (times == ReceiveArea::Times::Hidden)
        return 0;
    const QString widest =
        times == ReceiveArea::Times::OfDay ? QStringLiteral("00:00:00.000") : QStringLiteral("+00:00:00.000");
    return metrics.horizontalAdvance(widest) + 2 * PADDING;
}

void TimeMargin::Place()
{
    const QRect inside = area_.contentsRect();
    setGeometry(inside.left(), inside.top(), WidthFor(area_.fontMetrics(), area_.ShownTimes()),
                inside.height());
}

void TimeMargin::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), area_.palette().color(QPalette::AlternateBase));
    painter.setPen(area_.palette().color(QPalette::PlaceholderText));
    const qreal ascent = area_.fontMetrics().ascent();
    for (const ReceiveArea::TimeInView& line : area_.TimesInView())
        DrawTime(painter, line.top + ascent, line.text);
}

void TimeMargin::DrawTime(QPainter& painter, qreal baseline, const QString& text)
{
    QList<quint32> glyphs;
    QList<QPointF> positions;
    qreal x = 0;
    for (QChar c : text) {
        const qsizetype character = CHARACTERS.indexOf(c);
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
