#pragma once

#include <QPlainTextEdit>

// The multi-line box that shows the received lines. Appending costs the same
// however much text it holds, never moves the caret, and keeps the view at the
// end only when the view was already there. The oldest lines go once it holds
// LINE_LIMIT of them.
class ReceiveArea : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int LINE_LIMIT = 20000;

    explicit ReceiveArea(QWidget* parent = nullptr);

    // Adds the line and its line break at the end of the text.
    void AppendLine(QStringView line);

signals:
    void GotFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
};
