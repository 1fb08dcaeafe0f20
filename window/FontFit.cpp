#include "window/FontFit.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

namespace {

// A line edit keeps this much room on each side of its text, and one pixel for
// the caret after it.
constexpr double LINE_EDIT_MARGINS = 2 * 2 + 1;
// Sizes below this share of the original would be too small to read.
constexpr double SMALLEST_SHARE = 0.75;
constexpr double STEP_POINTS = 0.25;

} // namespace

double TextRoom(QWidget* control)
{
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        const QRect field =
            combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
        return field.width() - LINE_EDIT_MARGINS;
    }
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
    }
    return control->contentsRect().width();
}

QFont FittingFont(QFont font, const std::vector<std::pair<QWidget*, QString>>& texts)
{
    const double original = font.pointSizeF();
    auto fits = [&texts](const QFont& candidate) {
        return std::all_of(texts.begin(), texts.end(), [&candidate](const auto& text) {
            return QFontMetricsF(candidate, text.first).horizontalAdvance(text.second) <=
                   TextRoom(text.first);
        });
    };
    for (double size = original; size > original * SMALLEST_SHARE; size -= STEP_POINTS) {
        font.setPointSizeF(size);
        if (fits(font))
            return font;
    }
    return font;
}
