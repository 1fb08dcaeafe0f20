#include "window/ReceiveArea.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <algorithm>

#include "window/ReceiveAccessible.h"
#include "window/ThumbBar.h"
#include "window/TimeMargin.h"

namespace {

// What would end a line in the text copied or saved, splitting it in two:
// each is shown as U+FFFD.
bool EndsALine(QChar c)
{
    return c == QChar::ParagraphSeparator || c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1;
}

QFont Unshaped(QFont font)
{
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    return font;
}

} // namespace

ReceiveArea::ReceiveArea(QWidget* parent) : QAbstractScrollArea(parent), unshaped_(Unshaped(font()))
{
    ReceiveAccessible::Install();
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setVerticalScrollBar(new ThumbBar(Qt::Vertical, this));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frame_.setSingleShot(true);
    frame_.setTimerType(Qt::PreciseTimer);
    connect(&frame_, &QTimer::timeout, this, &ReceiveArea::Flush);
    dragScroll_.setInterval(50);
    connect(&dragScroll_, &QTimer::timeout, this, [this] { DragTo(dragPoint_); });
    QScrollBar* bar = verticalScrollBar();
    bar->setSingleStep(1);
    connect(bar, &QScrollBar::valueChanged, this, &ReceiveArea::OnBarMoved);
    connect(bar, &QScrollBar::actionTriggered, this, &ReceiveArea::CatchUp);
    // The end may have moved on while the thumb was held there.
    connect(bar, &QScrollBar::sliderReleased, this, [this] {
        if (following_)
            ScrollToEnd();
    });
}

ReceiveArea::~ReceiveArea() = default;

void ReceiveArea::AppendLine(QStringView line, LineTime time, const ReceivedBytes& bytes)
{
    if (std::none_of(line.begin(), line.end(), EndsALine))
        return Append(line, LineStore::Look::Plain, time, bytes);
    QString kept = line.toString();
    std::replace_if(kept.begin(), kept.end(), EndsALine, QChar(QChar::ReplacementCharacter));
    Append(kept, LineStore::Look::Plain, time, bytes);
}

void ReceiveArea::AppendMark(QStringView kind, QStringView text, LineTime time, const ReceivedBytes& bytes)
{
    QString line = QChar(u'\t') + kind.toString() + QChar(u'\t');
    for (QChar c : text)
        line += c.category() == QChar::Other_Control || EndsALine(c) ? QChar(QChar::ReplacementCharacter) : c;
    Append(line, kind == u"sent" ? LineStore::Look::Sent : LineStore::Look::Mark, time, bytes);
}

void ReceiveArea::Append(QStringView text, LineStore::Look look, LineTime time, const ReceivedBytes& bytes)
{
    qint64 sincePrevious = NO_TIME;
    if (time.ofDay != NO_TIME) {
        // A clock set back gives no negative time.
        if (lastClock_)
            sincePrevious = std::max<qint64>(time.clock - *lastClock_, 0);
        lastClock_ = time.clock;
    }
    store_.Append(text, look, time.ofDay, sincePrevious, bytes);
    if (frame_.isActive())
        return; // never restarted by a line: frames keep coming while lines do
    const qint64 since = sinceFlush_.isValid() ? sinceFlush_.elapsed() : FRAME_MS;
    if (since >= FRAME_MS)
        Flush();
    else
        frame_.start(static_cast<int>(FRAME_MS - since));
}

void ReceiveArea::SetLineLimit(qint64 lines)
{
    limit_ = std::max<qint64>(lines, 1);
}

void ReceiveArea::Flush()
{
    frame_.stop();
    if (shown_ == store_.End())
        return;
    sinceFlush_.start();
    QScrollBar* bar = verticalScrollBar();
    const bool following = following_ && !mouseHeld_ && !bar->isSliderDown();
    shown_ = store_.End();
    // While lines are copied or saved, none go: the oldest go once it is done.
    if (exports_ == 0 && (store_.Count() > limit_ + limit_ / 10 || store_.Bytes() > BYTE_LIMIT)) {
        const qint64 before = store_.First();
        store_.DropBefore(store_.End() - limit_, BYTE_LIMIT);
        droppedSinceClear_ += store_.First() - before;
        droppedMark_ = droppedSinceClear_ > 0;
        std::erase_if(layouts_, [this](const auto& laid) { return laid.first < store_.First(); });
    }
    if (top_ < FirstLine()) {
        // Its text went: the view stops at the oldest line kept.
        top_ = FirstLine();
        topHidden_ = 0;
    }
    if (following)
        std::tie(top_, topHidden_) = EndTop();
    SetBar();
    emit Flushed();
    if (QAccessible::isActive()) {
        QAccessibleEvent shown(this, QAccessible::VisibleDataChanged);
        QAccessible::updateAccessibility(&shown);
    }
    // On screen now, not at the loop's next turn, which may be a read's wait
    // away; only as far right as lines were drawn and will be: beyond that
    // the background stays.
    const int right = InkRight(LinesInView());
    viewport()->repaint(0, 0, std::max(inkRight_, right), viewport()->height());
    inkRight_ = right;
    if (timeMargin_)
        timeMargin_->repaint();
}

void ReceiveArea::Clear()
{
    frame_.stop();
    ++clears_;
    store_.Clear();
    shown_ = store_.End();
    droppedSinceClear_ = 0;
    droppedMark_ = false;
    ForgetLayouts();
    top_ = shown_;
    topHidden_ = 0;
    anchor_ = caret_ = {shown_, 0};
    following_ = true;
    SetBar();
    emit Flushed();
    viewport()->update();
}

QString ReceiveArea::LineText(qint64 line) const
{
    return ShownLine(line).text;
}

ReceiveArea::Shown ReceiveArea::ShownLine(qint64 line) const
{
    Shown shown;
    if (line < store_.First()) {
        shown.text = QStringLiteral("\tdropped\t%1 older lines before this one%2")
                         .arg(droppedSinceClear_)
                         .arg(logging_ ? QStringLiteral("; the log holds them") : QString());
        return shown;
    }
    shown.text = store_.StringOf(line);
    const std::optional<LineStore::LineBytes> bytes = showBytes_ ? store_.BytesOf(line) : std::nullopt;
    if (!bytes)
        return shown;
    auto hex = [&shown](const std::string& from) {
        static constexpr char16_t DIGITS[] = u"0123456789ABCDEF";
        for (std::size_t i = 0; i < from.size(); ++i) {
            if (i > 0)
                shown.text += u' ';
            const auto byte = static_cast<quint8>(from[i]);
            shown.text += QChar(DIGITS[byte >> 4]);
            shown.text += QChar(DIGITS[byte & 0xF]);
        }
    };
    shown.text += u'\t';
    shown.bytesFrom = static_cast<int>(shown.text.size());
    hex(bytes->kept);
    if (!bytes->dropped.empty()) {
        shown.text += bytes->kept.empty() ? QStringLiteral("[") : QStringLiteral(" [");
        shown.droppedFrom = static_cast<int>(shown.text.size()) - 1;
        hex(bytes->dropped);
        shown.text += u']';
    }
    if (bytes->cutShort)
        shown.text += QStringLiteral(" …");
    return shown;
}

void ReceiveArea::ShowBytes(bool shown)
{
    if (shown == showBytes_)
        return;
    Flush();
    showBytes_ = shown;
    // The lines widen or narrow; the same line stays at the top.
    ForgetLayouts();
    topHidden_ = 0;
    if (following_)
        std::tie(top_, topHidden_) = EndTop();
    SetBar();
    viewport()->update();
}

LineStore::Look ReceiveArea::LookOf(qint64 line) const
{
    return line >= store_.First() ? store_.LookOf(line) : LineStore::Look::Mark;
}

void ReceiveArea::ScrollToEnd()
{
    Flush();
    std::tie(top_, topHidden_) = EndTop();
    following_ = true;
    SetBar();
    viewport()->update();
}

void ReceiveArea::SetBar()
{
    const bool adjusting = std::exchange(adjusting_, true);
    static_cast<ThumbBar*>(verticalScrollBar())
        ->Show(static_cast<int>(EndTop().first - FirstLine()),
               std::max(1, viewport()->height() / std::max(1, fontMetrics().lineSpacing())),
               static_cast<int>(top_ - FirstLine()));
    adjusting_ = adjusting;
}

void ReceiveArea::OnBarMoved(int value)
{
    if (adjusting_)
        return;
    // Only the user moves the view off the end or back to it.
    QScrollBar* bar = verticalScrollBar();
    following_ = value == bar->maximum();
    if (following_)
        std::tie(top_, topHidden_) = EndTop();
    else
        top_ = FirstLine() + value, topHidden_ = 0;
    viewport()->update();
}

void ReceiveArea::CatchUp(int action)
{
    QScrollBar* bar = verticalScrollBar();
    const int target = bar->sliderPosition();
    const bool dragged = action == QAbstractSlider::SliderMove && bar->isSliderDown();
    if (!dragged && target > bar->value() && bar->maximum() - target < bar->pageStep())
        bar->setSliderPosition(bar->maximum());
}

void ReceiveArea::ScrollRows(int rows)
{
    const qreal row = fontMetrics().lineSpacing();
    qreal move = rows * row;
    const auto [endLine, endHidden] = EndTop();
    if (move > 0) {
        topHidden_ += move;
        while (top_ < endLine && topHidden_ >= HeightOf(top_))
            topHidden_ -= HeightOf(top_++);
        // Within a page of the end, the end is in view: it goes all the way.
        following_ = endLine - top_ < verticalScrollBar()->pageStep();
        if (following_)
            top_ = endLine, topHidden_ = endHidden;
    } else {
        topHidden_ += move;
        while (topHidden_ < 0 && top_ > FirstLine())
            topHidden_ += HeightOf(--top_);
        topHidden_ = std::max<qreal>(topHidden_, 0);
        following_ = false;
    }
    SetBar();
    viewport()->update();
}

std::pair<qint64, qreal> ReceiveArea::EndTop() const
{
    qreal room = viewport()->height() - 2 * MARGIN;
    for (qint64 line = EndLine() - 1; line >= FirstLine(); --line) {
        const qreal height = HeightOf(line);
        if (height >= room)
            return {line, height - room};
        room -= height;
    }
    return {FirstLine(), 0};
}

void ReceiveArea::ShowMatch(Position start, qsizetype length, int clearOfTop)
{
    Flush();
    following_ = false;
    anchor_ = start;
    caret_ = {start.line, start.column + length};
    const QTextLayout& layout = Layout(start.line);
    const QTextLine row = layout.lineForTextPosition(static_cast<int>(start.column));
    // The match's line a third of the way down, and never under what covers the top.
    const int lineHeight = std::max(1, fontMetrics().lineSpacing());
    const int linesInView = std::max(1, viewport()->height() / lineHeight);
    const int above = std::max(clearOfTop / lineHeight + 1, linesInView / 3);
    top_ = start.line;
    topHidden_ = row.isValid() ? row.y() : 0;
    ScrollRows(-above);
    following_ = false;
}

ReceiveArea::Position ReceiveArea::Clamped(Position place) const
{
    if (place.line < FirstLine())
        return {FirstLine(), 0};
    if (place.line >= EndLine())
        return {EndLine(), 0};
    return place;
}

bool ReceiveArea::HasSelection() const
{
    return SelectionStart() != SelectionEnd();
}

ReceiveArea::Position ReceiveArea::SelectionStart() const
{
    return Clamped(std::min(anchor_, caret_));
}

ReceiveArea::Position ReceiveArea::SelectionEnd() const
{
    return Clamped(std::max(anchor_, caret_));
}

void ReceiveArea::Select(Position anchor, Position caret)
{
    anchor_ = anchor;
    caret_ = caret;
    viewport()->update();
}

void ReceiveArea::selectAll()
{
    Flush();
    Select({FirstLine(), 0}, {EndLine(), 0});
}

QString ReceiveArea::SelectedText() const
{
    return ShownText(SelectionStart(), SelectionEnd());
}

QString ReceiveArea::toPlainText() const
{
    return ShownText({FirstLine(), 0}, {EndLine(), 0});
}

QMenu* ReceiveArea::CreateContextMenu()
{
    Flush();
    auto* menu = new QMenu(this);
    QAction* copyAction = menu->addAction(QStringLiteral("&Copy"), this, &ReceiveArea::copy);
    copyAction->setEnabled(HasSelection());
    menu->addAction(QStringLiteral("Select &All"), this, &ReceiveArea::selectAll);
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
    QAbstractScrollArea::focusInEvent(event);
    emit GotFocus();
}

void ReceiveArea::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    ForgetLayouts();
    if (following_)
        std::tie(top_, topHidden_) = EndTop();
    SetBar();
    if (timeMargin_)
        timeMargin_->Place();
}

void ReceiveArea::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        unshaped_ = Unshaped(font());
        ForgetLayouts();
        topHidden_ = 0;
        if (following_)
            std::tie(top_, topHidden_) = EndTop();
        SetBar();
    }
}
