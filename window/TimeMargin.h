#pragma once

#include <QGlyphRun>
#include <QRawFont>
#include <QWidget>

#include "window/ReceiveArea.h"

class QFontMetrics;

// The strip beside the receive area's text that shows each line's time, as
// editors show line numbers. A frame shows as many new times as new lines,
// so each is drawn from glyphs shaped once rather than laid out as text.
class TimeMargin : public QWidget {
public:
    static constexpr int PADDING = 6;

    explicit TimeMargin(ReceiveArea& area);

    // Wide enough for "00:00:00.000" in the font, or "+00:00:00.000", with
    // room either side; 0 while hidden.
    static int WidthFor(const QFontMetrics& metrics, ReceiveArea::Times times);
    // Down the left of the area's inside.
    void Place();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The time's text, right-aligned at the baseline.
    void DrawTime(QPainter& painter, qreal baseline, const QString& text);

    ReceiveArea& area_;
    QRawFont font_;
    QList<quint32> glyphs_; // of CHARACTERS
    QList<QPointF> advances_;
};
