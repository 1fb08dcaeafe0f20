#pragma once

#include <QWidget>

class QFontMetrics;
class ReceiveArea;

// The strip beside the receive area's text that shows each line's time, as
// editors show line numbers; the area paints it.
class TimeMargin : public QWidget {
public:
    static constexpr int PADDING = 6;

    explicit TimeMargin(ReceiveArea& area);

    // Wide enough for "00:00:00.000" in the font, with room either side.
    static int WidthFor(const QFontMetrics& metrics);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ReceiveArea& area_;
};
