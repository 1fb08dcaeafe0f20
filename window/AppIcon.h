#pragma once

#include <QIcon>
#include <QImage>

// The program's icon, 32 x 32 in 16 colours on a transparent background: two
// large yellow gears with black outlines (upper right, lower left) and two
// small cyan gears (upper left, lower right).
QImage AppIconImage();
QIcon AppIcon();
