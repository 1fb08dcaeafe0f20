#pragma once

#include <QStatusBar>

// The status bar: one status text at its left end, repainted at once when it
// changes.
class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);

    void SetStatusText(const QString& text);
    QString StatusText() const { return currentMessage(); }
};
