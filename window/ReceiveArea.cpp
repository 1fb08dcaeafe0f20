#include "ReceiveArea.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

ReceiveArea::ReceiveArea(QWidget* parent) : QPlainTextEdit(parent)
{
    setUndoRedoEnabled(false);
    // The document keeps one more block: the empty one after the last line break.
    setMaximumBlockCount(LINE_LIMIT + 1);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    repaintPause_.setSingleShot(true);
    repaintPause_.setInterval(REPAINT_INTERVAL_MS);
    connect(&repaintPause_, &QTimer::timeout, this, [this] { viewport()->setUpdatesEnabled(true); });
}

void ReceiveArea::AppendLine(QStringView line)
{
    QScrollBar* bar = verticalScrollBar();
    const int scrolled = bar->value();
    const bool following = scrolled == bar->maximum();
    // The caret sits at the end of an empty text, or where the user clicked;
    // a caret at the insertion point would move with the insertion.
    QTextCursor caret = textCursor();
    const int end = document()->characterCount() - 1;
    const bool caretAtEnd = caret.position() == end;
    const bool anchorAtEnd = caret.anchor() == end;

    QTextCursor insertion(document());
    insertion.movePosition(QTextCursor::End);
    insertion.beginEditBlock();
    insertion.insertText(line.toString());
    insertion.insertBlock();
    insertion.endEditBlock();

    if (caretAtEnd || anchorAtEnd) {
        // Counted back from the new end: the oldest lines may have gone.
        const int oldEnd = document()->characterCount() - 1 - static_cast<int>(line.size()) - 1;
        QTextCursor kept = textCursor();
        kept.setPosition(anchorAtEnd ? oldEnd : kept.anchor());
        kept.setPosition(caretAtEnd ? oldEnd : kept.position(), QTextCursor::KeepAnchor);
        setTextCursor(kept);
    }
    bar->setValue(following ? bar->maximum() : scrolled);

    // A device streaming lines would otherwise have the area repainted for
    // every line; the screen shows no more than about 60 frames a second.
    if (!repaintPause_.isActive()) {
        viewport()->setUpdatesEnabled(false);
        repaintPause_.start();
    }
}

void ReceiveArea::focusInEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusInEvent(event);
    emit GotFocus();
}
