#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// The program's icon: two large yellow gears with black outlines (upper right,
// lower left) and two small cyan gears (upper left, lower right), drawn on a
// 32 x 32 grid. Every form of it comes from the same drawing.

// At 32 x 32 it is the window's icon, in 16 colours on a transparent
// background; other sizes are drawn smooth from the same outlines.
QImage AppIconImage(int size = 32);
// The same drawing as an SVG document.
QString AppIconSvg();
// The window's and the program's icon, drawn at the size each use asks for.
QIcon AppIcon();
