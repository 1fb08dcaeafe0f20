#pragma once

#include <QRect>
#include <QScrollBar>

// A scroll bar whose range, page and value are set as one change. While its
// thumb stays at the end, that change repaints where the thumb was and where
// it is rather than the whole bar: a stream followed moves the thumb every
// frame, and a whole bar's gradients cost more than the frame's text.
class ThumbBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

    void Show(int maximum, int page, int value);

protected:
    void sliderChange(SliderChange change) override;

private:
    // Where the thumb is, or nothing unless the bar scrolls and its thumb is
    // at the end: a style may draw the page below the thumb from its top, or
    // an arrow disabled at an end.
    QRect ThumbAtEnd() const;

    bool showing_ = false;
    bool changed_ = false;
};
