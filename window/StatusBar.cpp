#include "StatusBar.h"

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
}
