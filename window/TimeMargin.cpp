#include "TimeMargin.h"

#include <QPaintEvent>

#include "ReceiveArea.h"

TimeMargin::TimeMargin(ReceiveArea& area) : QWidget(&area), area_(area)
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
    area_.PaintTimes(*this, event->rect());
}
