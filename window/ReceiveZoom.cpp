// The receive area's text made larger or smaller.
#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <algorithm>

#include "window/ReceiveArea.h"

namespace {

constexpr int MOST_STEPS = 24;
constexpr qreal SMALLEST_POINTS = 5;

} // namespace

void ReceiveArea::Zoom(int steps)
{
    if (zoom_ == 0)
        unzoomedPoints_ = font().pointSizeF();
    const int least = -static_cast<int>(std::max<qreal>(unzoomedPoints_ - SMALLEST_POINTS, 0));
    const int zoom = std::clamp(zoom_ + steps, least, MOST_STEPS);
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    // The times' margin is made again for the new size; the same line stays at the top.
    const Times times = times_;
    ShowTimes(Times::Hidden);
    QFont zoomed = font();
    zoomed.setPointSizeF(unzoomedPoints_ + zoom_);
    setFont(zoomed);
    ShowTimes(times);
    emit ZoomChanged(zoom_);
}

bool ReceiveArea::ZoomKey(const QKeyEvent& key)
{
    if (!(key.modifiers() & Qt::ControlModifier))
        return false;
    switch (key.key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        Zoom(1);
        return true;
    case Qt::Key_Minus:
        Zoom(-1);
        return true;
    case Qt::Key_0:
        Zoom(-zoom_);
        return true;
    default:
        return false;
    }
}

void ReceiveArea::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    event->accept();
    if (delta == 0)
        return;
    if (event->modifiers() & Qt::ControlModifier)
        return Zoom(delta > 0 ? 1 : -1);
    // By rows, so that a line taller than the view can be read through.
    const int rows = -delta * QApplication::wheelScrollLines() / 120;
    ScrollRows(rows != 0 ? rows : delta > 0 ? -1 : 1);
}

void ReceiveArea::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (!ZoomKey(*event))
        QAbstractScrollArea::keyPressEvent(event);
}
