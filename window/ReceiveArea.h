#pragma once

#include <QPlainTextEdit>
#include <QTimer>

// The multi-line box that shows the received lines. Appending costs the same
// however much text it holds, never moves the caret, and keeps the view at the
// end only when the view was already there. The oldest lines go once it holds
// LINE_LIMIT of them. While lines stream in it is repainted at the screen's
// pace, not once a line.
class ReceiveArea : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int LINE_LIMIT = 20000;
    static constexpr int REPAINT_INTERVAL_MS = 16;

    explicit ReceiveArea(QWidget* parent = nullptr);

    // Adds the line and its line break at the end of the text.
    void AppendLine(QStringView line);

signals:
    void GotFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    QTimer repaintPause_;
};
