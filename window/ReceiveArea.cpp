#include "ReceiveArea.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>

#include "MessageBoxes.h"

ReceiveArea::ReceiveArea(QWidget* parent) : QPlainTextEdit(parent)
{
    setUndoRedoEnabled(false);
    // What the device said cannot be changed, only selected and copied.
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setAcceptDrops(false);
    // The document keeps one more block: the empty one after the last line break.
    setMaximumBlockCount(LINE_LIMIT + 1);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    frame_.setSingleShot(true);
    frame_.setTimerType(Qt::PreciseTimer);
    frame_.setInterval(FRAME_MS);
    connect(&frame_, &QTimer::timeout, this, &ReceiveArea::Flush);
}

void ReceiveArea::AppendLine(QStringView line)
{
    waiting_ += line;
    waiting_ += u'\n';
    ++waitingLines_;
    if (!frame_.isActive())
        frame_.start();
}

void ReceiveArea::Flush()
{
    frame_.stop();
    if (waitingLines_ == 0)
        return;
    QTextDocument* document = this->document();
    QScrollBar* bar = verticalScrollBar();
    const bool following = !mouseHeld_ && bar->value() == bar->maximum();
    // The view's place as a block and a line within it, so that it can stay on
    // its text when the oldest blocks go.
    const QTextBlock top = firstVisibleBlock();
    const int topBlock = top.blockNumber();
    const int topLineInBlock = bar->value() - top.firstLineNumber();
    const int blocksBefore = document->blockCount();
    // The caret sits at the end of an empty text, or where the user clicked;
    // a caret at the insertion point would move with the insertion.
    const QTextCursor caret = textCursor();
    const int end = document->characterCount() - 1;
    const bool caretAtEnd = caret.position() == end;
    const bool anchorAtEnd = caret.anchor() == end;

    QTextCursor insertion(document);
    insertion.movePosition(QTextCursor::End);
    insertion.insertText(waiting_); // each line break starts a block
    const int inserted = static_cast<int>(waiting_.size());
    const int added = waitingLines_;
    waiting_.clear();
    waitingLines_ = 0;
    KeepWithinCharacterLimit();
    const int dropped = blocksBefore + added - document->blockCount();

    if (caretAtEnd || anchorAtEnd) {
        // Counted back from the new end: the oldest lines may have gone.
        const int oldEnd = std::max(0, document->characterCount() - 1 - inserted);
        QTextCursor kept = textCursor();
        kept.setPosition(anchorAtEnd ? oldEnd : kept.anchor());
        kept.setPosition(caretAtEnd ? oldEnd : kept.position(), QTextCursor::KeepAnchor);
        setTextCursor(kept);
    }
    if (following)
        bar->setValue(bar->maximum());
    else if (dropped > topBlock)
        bar->setValue(0); // its text went: the oldest line kept is shown
    else
        bar->setValue(document->findBlockByNumber(topBlock - dropped).firstLineNumber() + topLineInBlock);
}

void ReceiveArea::KeepWithinCharacterLimit()
{
    QTextDocument* document = this->document();
    const int excess = document->characterCount() - CHARACTER_LIMIT;
    if (excess <= 0)
        return;
    // Whole lines go, the oldest first.
    const QTextBlock last = document->findBlock(excess - 1);
    QTextCursor cut(document);
    cut.setPosition(std::min(last.position() + last.length(), document->characterCount() - 1),
                    QTextCursor::KeepAnchor);
    cut.removeSelectedText();
}

void ReceiveArea::Clear()
{
    frame_.stop();
    waiting_.clear();
    waitingLines_ = 0;
    clear();
}

QString ReceiveArea::SaveTo(const QString& path)
{
    Flush();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toPlainText().toUtf8()) < 0 || !file.commit())
        return file.errorString();
    return {};
}

void ReceiveArea::SaveAs()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save the received lines"),
                                                      QStringLiteral("received.txt"),
                                                      QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    const QString problem = SaveTo(path);
    if (!problem.isEmpty())
        ShowMessageBox(window(), QStringLiteral("The received lines were not saved: %1").arg(problem));
}

QMenu* ReceiveArea::CreateContextMenu()
{
    Flush();
    auto* menu = new QMenu(this);
    QAction* copyAction = menu->addAction(QStringLiteral("&Copy"), this, &QPlainTextEdit::copy);
    copyAction->setEnabled(textCursor().hasSelection());
    menu->addAction(QStringLiteral("Select &All"), this, &QPlainTextEdit::selectAll);
    menu->addSeparator();
    menu->addAction(QStringLiteral("C&lear"), this, &ReceiveArea::Clear);
    menu->addAction(QStringLiteral("&Save As…"), this, &ReceiveArea::SaveAs);
    return menu;
}

void ReceiveArea::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void ReceiveArea::focusInEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusInEvent(event);
    emit GotFocus();
}

void ReceiveArea::mousePressEvent(QMouseEvent* event)
{
    // While the user selects, the view stays put.
    mouseHeld_ = true;
    QPlainTextEdit::mousePressEvent(event);
}

void ReceiveArea::mouseReleaseEvent(QMouseEvent* event)
{
    mouseHeld_ = event->buttons() != Qt::NoButton;
    QPlainTextEdit::mouseReleaseEvent(event);
}
