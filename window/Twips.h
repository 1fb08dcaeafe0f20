#pragma once

#include <QRect>
#include <QtMath>

// Layout is given in twips; 15 twips make one device-independent pixel, and
// Qt scales those for screens of other densities.
constexpr int TWIPS_PER_PIXEL = 15;

inline int TwipsToPixels(int twips)
{
    return qRound(static_cast<double>(twips) / TWIPS_PER_PIXEL);
}

inline QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}
