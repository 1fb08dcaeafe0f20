// The receive area's lines on screen: laid out only while they may be shown,
// painted with the selection and the matches, and found under the mouse.
#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QtMath>

#include "window/ReceiveArea.h"
#include "window/TimeMargin.h"

namespace {

const QColor SENT_COLOUR(0, 0, 170);
const QColor MARK_COLOUR(96, 96, 96);
const QColor MATCH_BACKGROUND(255, 226, 110);
const QColor BYTES_COLOUR(0, 110, 110);
const QColor DROPPED_COLOUR(150, 170, 170);
// Lines laid out and kept; a view holds far fewer, so the cache is simply
// emptied beyond it.
constexpr std::size_t MOST_LAYOUTS = 2048;

// Printable Latin-1 and the tab: the one font draws them one glyph a
// character, shaped or not. Unshaped, a control character such as DEL would
// vanish rather than show as the font's box.
bool LooksTheSameUnshaped(QChar c)
{
    const char16_t code = c.unicode();
    return code == u'\t' || (code >= 0x20 && code < 0x7F) || (code >= 0xA0 && code < 0x100);
}

bool InWord(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

const QTextLayout& ReceiveArea::Layout(qint64 line) const
{
    std::unique_ptr<QTextLayout>& laid = layouts_[line];
    if (laid)
        return *laid;
    const Shown shown = ShownLine(line);
    const bool plain = std::all_of(shown.text.begin(), shown.text.end(), LooksTheSameUnshaped);
    laid = std::make_unique<QTextLayout>(shown.text, plain ? unshaped_ : font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    laid->setTextOption(option);
    laid->setCacheEnabled(true);
    QList<QTextLayout::FormatRange> looks;
    auto look = [&looks](int from, int to, const QColor& colour) {
        looks.push_back({from, to - from, {}});
        looks.back().format.setForeground(colour);
    };
    const int size = static_cast<int>(shown.text.size());
    const int textEnd = shown.bytesFrom >= 0 ? shown.bytesFrom : size;
    if (const LineStore::Look kind = LookOf(line); kind != LineStore::Look::Plain)
        look(0, textEnd, kind == LineStore::Look::Sent ? SENT_COLOUR : MARK_COLOUR);
    if (shown.bytesFrom >= 0) {
        const int droppedFrom = shown.droppedFrom >= 0 ? shown.droppedFrom : size;
        look(shown.bytesFrom, droppedFrom, BYTES_COLOUR);
        look(droppedFrom, size, DROPPED_COLOUR);
    }
    laid->setFormats(looks);
    const qreal width = std::max(1, viewport()->width() - 2 * MARGIN);
    qreal y = 0;
    laid->beginLayout();
    for (QTextLine row = laid->createLine(); row.isValid(); row = laid->createLine()) {
        row.setLineWidth(width);
        row.setPosition({0, y});
        y += row.height();
    }
    laid->endLayout();
    return *laid;
}

qreal ReceiveArea::HeightOf(qint64 line) const
{
    const QTextLayout& layout = Layout(line);
    const QTextLine last = layout.lineAt(layout.lineCount() - 1);
    return last.y() + last.height();
}

void ReceiveArea::ForgetLayouts()
{
    layouts_.clear();
}

void ReceiveArea::SetLogging(bool logging)
{
    logging_ = logging;
    layouts_.erase(store_.First() - 1); // the marked line of the dropped ones says whether the log holds them
    viewport()->update();
}

void ReceiveArea::Highlight(const QString& text, Qt::CaseSensitivity sensitivity)
{
    highlight_ = text;
    highlightSensitivity_ = sensitivity;
    viewport()->update();
}

int ReceiveArea::InkRight(const QList<LineInView>& lines) const
{
    const Position start = SelectionStart(), end = SelectionEnd();
    qreal right = 0;
    for (const LineInView& shown : lines) {
        // A selected line break shows beyond its line's text.
        if (start != end && start.line <= shown.line && shown.line <= end.line)
            return viewport()->width();
        // A right-to-left line stands at the right.
        const QTextLayout& layout = Layout(shown.line);
        for (int row = 0; row < layout.lineCount(); ++row)
            right = std::max(right, layout.lineAt(row).naturalTextRect().right());
    }
    // A glyph may reach a little beyond its advance.
    return std::min(viewport()->width(), MARGIN + qCeil(right) + fontMetrics().lineSpacing());
}

void ReceiveArea::paintEvent(QPaintEvent*)
{
    if (layouts_.size() > MOST_LAYOUTS)
        ForgetLayouts();
    const QList<LineInView> lines = LinesInView();
    inkRight_ = std::max(inkRight_, InkRight(lines));
    QPainter painter(viewport());
    const Position start = SelectionStart(), end = SelectionEnd();
    QTextCharFormat selected;
    selected.setBackground(palette().brush(QPalette::Highlight));
    selected.setForeground(palette().brush(QPalette::HighlightedText));
    QTextCharFormat match;
    match.setBackground(MATCH_BACKGROUND);
    for (const LineInView& shown : lines) {
        const qint64 line = shown.line;
        const QTextLayout& layout = Layout(line);
        QList<QTextLayout::FormatRange> marks;
        if (!highlight_.isEmpty() && LookOf(line) == LineStore::Look::Plain)
            for (int at : store_.TextOf(line).Columns(highlight_, highlightSensitivity_))
                marks.push_back({at, static_cast<int>(highlight_.size()), match});
        if (start != end && start.line <= line && line <= end.line) {
            const qsizetype from = line == start.line ? start.column : 0;
            // A line break selected shows as a space selected after the line.
            const qsizetype to = line == end.line ? end.column : layout.text().size() + 1;
            marks.push_back({static_cast<int>(from), static_cast<int>(to - from), selected});
        }
        layout.draw(&painter, {static_cast<qreal>(MARGIN), shown.top}, marks);
    }
    if (timeMargin_)
        timeMargin_->update();
}

QList<ReceiveArea::LineInView> ReceiveArea::LinesInView() const
{
    QList<LineInView> lines;
    const int height = viewport()->height();
    qreal y = MARGIN - topHidden_;
    for (qint64 line = std::max(top_, FirstLine()); line < EndLine() && y < height; ++line) {
        lines.push_back({line, y});
        y += HeightOf(line);
    }
    return lines;
}

ReceiveArea::Position ReceiveArea::PositionAt(QPointF point) const
{
    const QList<LineInView> lines = LinesInView();
    if (lines.isEmpty())
        return {EndLine(), 0};
    auto below = std::find_if(lines.begin(), lines.end(), [&](const LineInView& line) {
        return point.y() < line.top + HeightOf(line.line);
    });
    const LineInView& shown = below == lines.end() ? lines.back() : *below;
    const QTextLayout& layout = Layout(shown.line);
    int index = 0;
    while (index + 1 < layout.lineCount() && point.y() >= shown.top + layout.lineAt(index + 1).y())
        ++index;
    return {shown.line, layout.lineAt(index).xToCursor(point.x() - MARGIN)};
}

QRectF ReceiveArea::RectOf(Position place) const
{
    for (const LineInView& shown : LinesInView())
        if (shown.line == place.line) {
            const QTextLine row = Layout(place.line).lineForTextPosition(static_cast<int>(place.column));
            return {MARGIN + row.cursorToX(static_cast<int>(place.column)), shown.top + row.y(), 1,
                    row.height()};
        }
    return {};
}

void ReceiveArea::mousePressEvent(QMouseEvent* event)
{
    // While the user selects, the view stays put. The right button opens the
    // menu, which takes its release.
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    mouseHeld_ = true;
    const Position place = PositionAt(event->position());
    if (!(event->modifiers() & Qt::ShiftModifier))
        anchor_ = place;
    caret_ = place;
    viewport()->update();
}

void ReceiveArea::mouseMoveEvent(QMouseEvent* event)
{
    if (!mouseHeld_)
        return;
    dragPoint_ = event->position();
    // Held past an edge, the view moves on to show more of the text, and goes on moving.
    const bool outside = dragPoint_.y() < 0 || dragPoint_.y() >= viewport()->height();
    if (outside && !dragScroll_.isActive())
        dragScroll_.start();
    else if (!outside)
        dragScroll_.stop();
    DragTo(dragPoint_);
}

void ReceiveArea::DragTo(QPointF point)
{
    if (point.y() < 0)
        ScrollRows(-1);
    else if (point.y() >= viewport()->height())
        ScrollRows(1);
    point.setY(std::clamp<qreal>(point.y(), 0, viewport()->height() - 1));
    caret_ = PositionAt(point);
    viewport()->update();
}

void ReceiveArea::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    mouseHeld_ = false;
    dragScroll_.stop();
    QScrollBar* bar = verticalScrollBar();
    following_ = bar->value() == bar->maximum(); // lines may have come meanwhile
    if (QClipboard* clipboard = QGuiApplication::clipboard();
        HasSelection() && clipboard->supportsSelection())
        clipboard->setText(SelectedText(), QClipboard::Selection);
}

void ReceiveArea::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    mouseHeld_ = true;
    const Position place = PositionAt(event->position());
    if (place.line >= EndLine())
        return;
    const QString text = LineText(place.line);
    qsizetype from = place.column, to = place.column;
    while (from > 0 && InWord(text[from - 1]))
        --from;
    while (to < text.size() && InWord(text[to]))
        ++to;
    if (from == to && to < text.size())
        ++to; // not in a word: the character alone
    Select({place.line, from}, {place.line, to});
}
