#pragma once

#include <QFont>
#include <QString>
#include <utility>
#include <vector>

class QWidget;

// The room a control's style leaves for its text, in pixels: a label's
// contents, a combo box's edit field, a button's label area.
double TextRoom(QWidget* control);

// The stand-in faces are wider than the faces they stand in for, in which
// every caption and the default identifier showed whole. A stand-in takes the
// largest size, at most the original's, at which each text fits its control.
QFont FittingFont(QFont font, const std::vector<std::pair<QWidget*, QString>>& texts);
