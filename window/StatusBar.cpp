#include "window/StatusBar.h"

#include <QAccessible>

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
}

void StatusBar::SetStatusText(const QString& text)
{
    if (text == currentMessage())
        return;
    showMessage(text);
    repaint();
    // A screen reader reads the status bar's current message as its name.
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}
