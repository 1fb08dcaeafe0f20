#pragma once

#include <QGlyphRun>
#include <QRawFont>
#include <QWidget>

class QFontMetrics;
class ReceiveArea;

// The strip beside the receive area's text that shows each line's time, as
// editors show line numbers. A frame shows as many new times as new lines,
// so each is drawn from glyphs shaped once rather than laid out as text.
class TimeMargin : public QWidget {
public:
    static constexpr int PADDING = 6;

    explicit TimeMargin(ReceiveArea& area);

    // Wide enough for "00:00:00.000" in the font, with room either side.
    static int WidthFor(const QFontMetrics& metrics);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // hh:mm:ss.mmm of the milliseconds since midnight, right-aligned at the baseline.
    void DrawTime(QPainter& painter, qreal baseline, int time);

    ReceiveArea& area_;
    QRawFont font_;
    QList<quint32> glyphs_; // of "0123456789:."
    QList<QPointF> advances_;
};
