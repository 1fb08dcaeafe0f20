#include "window/ReceiveArea.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <algorithm>
#include <utility>

#include "window/MessageBoxes.h"
#include "window/TimeMargin.h"

namespace {

const QColor SENT_COLOUR(0, 0, 170);
const QColor MARK_COLOUR(96, 96, 96);

// What the text would take for the end of a block, splitting a line in two
// and the line's time and colour from it: each is shown as U+FFFD.
bool EndsABlock(QChar c)
{
    return c == QChar::ParagraphSeparator || c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1;
}

} // namespace

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
    connect(this, &QPlainTextEdit::updateRequest, this, [this] {
        if (timeMargin_)
            timeMargin_->update();
    });
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

void ReceiveArea::AppendLine(QStringView line, LineTime time)
{
    const qsizetype from = waiting_.size();
    waiting_ += line;
    for (QChar* c = waiting_.data() + from; c != waiting_.data() + waiting_.size(); ++c)
        if (EndsABlock(*c))
            *c = QChar::ReplacementCharacter;
    waiting_ += u'\n';
    Enqueue(time);
}

void ReceiveArea::AppendMark(QStringView kind, QStringView text, LineTime time)
{
    waitingMarks_.push_back({waitingLines_, kind == u"sent" ? SENT_COLOUR : MARK_COLOUR});
    waiting_ += u'\t';
    waiting_ += kind;
    waiting_ += u'\t';
    for (QChar c : text)
        waiting_ +=
            c.category() == QChar::Other_Control || EndsABlock(c) ? QChar(QChar::ReplacementCharacter) : c;
    waiting_ += u'\n';
    Enqueue(time);
}

void ReceiveArea::Enqueue(LineTime time)
{
    waitingTimes_.push_back(time.ofDay);
    qint64 sincePrevious = NO_TIME;
    if (time.ofDay != NO_TIME) {
        // A clock set back gives no negative time.
        if (lastClock_)
            sincePrevious = std::max<qint64>(time.clock - *lastClock_, 0);
        lastClock_ = time.clock;
    }
    waitingSince_.push_back(sincePrevious);
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
    KeepWithinCharacterLimit();
    const int dropped = blocksBefore + added - document->blockCount();
    linesGone_ += dropped;
    Finish(document->findBlockByNumber(std::max(0, document->blockCount() - 1 - added)));
    since_.insert(since_.end(), waitingSince_.cbegin(), waitingSince_.cend());
    since_.erase(since_.begin(), since_.end() - (document->blockCount() - 1));
    ForgetWaiting();

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
    emit Flushed();
    // On screen now, not at the loop's next turn, which may be a read's wait away.
    repaint();
}

void ReceiveArea::Finish(QTextBlock block)
{
    // More lines may have come than the text keeps: the first ones went.
    const int skipped = std::max(0, waitingLines_ - (document()->blockCount() - 1));
    const int first = block.blockNumber();
    for (int line = skipped; line < waitingLines_ && block.isValid(); ++line, block = block.next())
        block.setUserState(waitingTimes_[line]);
    for (const auto& [line, colour] : waitingMarks_) {
        if (line < skipped)
            continue;
        QTextCursor marked(document()->findBlockByNumber(first + line - skipped));
        marked.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat look;
        look.setForeground(colour);
        marked.setCharFormat(look);
    }
}

void ReceiveArea::ForgetWaiting()
{
    waiting_.clear();
    waitingLines_ = 0;
    waitingTimes_.clear();
    waitingSince_.clear();
    waitingMarks_.clear();
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
    ForgetWaiting();
    since_.clear();
    linesGone_ += document()->blockCount() - 1;
    clear();
    following_ = true;
    emit Flushed();
}

QString ReceiveArea::SaveTo(const QString& path)
{
    Flush();
    const QString text =
        times_ != Times::Hidden ? TimedText(0, document()->characterCount() - 1) : toPlainText();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        return file.errorString();
    return {};
}

void ReceiveArea::ShowMatch(const QTextCursor& match, int clearOfTop)
{
    Flush();
    adjusting_ = true;
    following_ = false;
    setTextCursor(match);
    // The match's line a third of the way down, and never under what covers the top.
    const QTextBlock block = match.block();
    const QTextLine line = block.layout()->lineForTextPosition(match.position() - block.position());
    const int lineHeight = std::max(1, fontMetrics().lineSpacing());
    const int linesInView = std::max(1, viewport()->height() / lineHeight);
    const int above = std::max(clearOfTop / lineHeight + 1, linesInView / 3);
    verticalScrollBar()->setValue(block.firstLineNumber() + (line.isValid() ? line.lineNumber() : 0) - above);
    adjusting_ = false;
}

QList<QTextBlock> ReceiveArea::BlocksInView() const
{
    QList<QTextBlock> blocks;
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        if (blockBoundingGeometry(block).translated(offset).top() > viewport()->height())
            break;
        blocks.push_back(block);
    }
    return blocks;
}

void ReceiveArea::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    if (timeMargin_)
        timeMargin_->Place();
}

void ReceiveArea::SaveAs()
{
    // Opened without a loop of its own, so that lines keep arriving meanwhile.
    auto* dialog = new QFileDialog(this, QStringLiteral("Save the received lines"), SaveFolder,
                                   QStringLiteral("Text files (*.txt);;All files (*)"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->selectFile(QStringLiteral("received.txt"));
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) {
        const QString problem = SaveTo(path);
        if (const QString folder = QFileInfo(path).absolutePath();
            problem.isEmpty() && folder != SaveFolder) {
            SaveFolder = folder;
            emit SaveFolderChanged(folder);
        }
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
