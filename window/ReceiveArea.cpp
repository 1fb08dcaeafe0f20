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
    connect(&frame_, &QTimer::timeout, this, &ReceiveArea::Flush);
    QScrollBar* bar = verticalScrollBar();
    // Only the user moves the view off the end or back to it.
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
        if (!adjusting_)
            following_ = value == bar->maximum();
    });
    connect(bar, &QScrollBar::actionTriggered, this, &ReceiveArea::CatchUp);
    // The end may have moved on while the thumb was held there.
    connect(bar, &QScrollBar::sliderReleased, this, [this] {
        if (following_)
            ScrollToEnd();
    });
}

void ReceiveArea::CatchUp(int action)
{
    QScrollBar* bar = verticalScrollBar();
    const int target = bar->sliderPosition();
    const bool dragged = action == QAbstractSlider::SliderMove && bar->isSliderDown();
    if (!dragged && target > bar->value() && bar->maximum() - target < bar->pageStep())
        bar->setSliderPosition(bar->maximum());
}

void ReceiveArea::ScrollToEnd()
{
    Flush();
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
    following_ = true;
}

void ReceiveArea::AppendLine(QStringView line)
{
    waiting_ += line;
    waiting_ += u'\n';
    ++waitingLines_;
    if (frame_.isActive())
        return; // never restarted by a line: frames keep coming while lines do
    const qint64 since = sinceFlush_.isValid() ? sinceFlush_.elapsed() : FRAME_MS;
    if (since >= FRAME_MS)
        Flush();
    else
        frame_.start(static_cast<int>(FRAME_MS - since));
}

void ReceiveArea::Flush()
{
    frame_.stop();
    if (waitingLines_ == 0)
        return;
    sinceFlush_.start();
    QTextDocument* document = this->document();
    QScrollBar* bar = verticalScrollBar();
    const bool following = following_ && !mouseHeld_ && !bar->isSliderDown();
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

    adjusting_ = true;
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
    adjusting_ = false;
    // On screen now, not at the loop's next turn, which may be a read's wait away.
    repaint();
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
    following_ = true;
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
    // Opened without a loop of its own, so that lines keep arriving meanwhile.
    auto* dialog = new QFileDialog(this, QStringLiteral("Save the received lines"), QString(),
                                   QStringLiteral("Text files (*.txt);;All files (*)"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->selectFile(QStringLiteral("received.txt"));
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) {
        const QString problem = SaveTo(path);
        if (!problem.isEmpty())
            OpenMessageBox(window(), QStringLiteral("The received lines were not saved: %1").arg(problem));
    });
    dialog->open();
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
    if (!menuActions_.isEmpty()) {
        menu->addSeparator();
        menu->addActions(menuActions_);
    }
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
    // While the user selects, the view stays put. The right button opens the
    // menu, which takes its release.
    if (event->button() == Qt::LeftButton)
        mouseHeld_ = true;
    QPlainTextEdit::mousePressEvent(event);
}

void ReceiveArea::mouseReleaseEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    mouseHeld_ = false;
    QScrollBar* bar = verticalScrollBar();
    following_ = bar->value() == bar->maximum(); // lines may have come meanwhile
}
