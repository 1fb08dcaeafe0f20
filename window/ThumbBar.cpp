#include "window/ThumbBar.h"

#include <QStyle>
#include <QStyleOptionSlider>

QRect ThumbBar::ThumbAtEnd() const
{
    if (minimum() == maximum() || sliderPosition() != maximum())
        return {};
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
}

void ThumbBar::Show(int maximum, int page, int value)
{
    const QRect was = ThumbAtEnd();
    showing_ = true;
    changed_ = false;
    setRange(0, maximum);
    setPageStep(page);
    setValue(value);
    showing_ = false;
    if (!changed_)
        return;
    const QRect now = ThumbAtEnd();
    if (was.isEmpty() || now.isEmpty())
        update();
    else if (now != was)
        // A style may draw the thumb's edge a pixel beyond its rectangle.
        update(was.united(now).adjusted(-2, -2, 2, 2));
}

void ThumbBar::sliderChange(SliderChange change)
{
    if (showing_)
        changed_ = true;
    else
        QScrollBar::sliderChange(change);
}
