#include "window/ReceiveAccessible.h"

#include <algorithm>

#include "window/ReceiveArea.h"

ReceiveAccessible::ReceiveAccessible(ReceiveArea& area)
    : QAccessibleWidget(&area, QAccessible::EditableText), area_(area)
{
}

void ReceiveAccessible::Install()
{
    static const bool installed = [] {
        QAccessible::installFactory([](const QString& className, QObject* object) -> QAccessibleInterface* {
            if (className == QLatin1String("ReceiveArea") && object && object->isWidgetType())
                return new ReceiveAccessible(*static_cast<ReceiveArea*>(object));
            return nullptr;
        });
        return true;
    }();
    (void)installed;
}

void* ReceiveAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State ReceiveAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

ReceiveAccessible::Shown ReceiveAccessible::InView() const
{
    Shown shown;
    for (const ReceiveArea::LineInView& line : area_.LinesInView()) {
        if (!shown.lines.isEmpty())
            shown.text += u'\n';
        shown.lines.push_back(line.line);
        shown.starts.push_back(static_cast<int>(shown.text.size()));
        shown.text += area_.LineText(line.line);
    }
    return shown;
}

std::pair<qint64, qsizetype> ReceiveAccessible::PlaceOf(const Shown& shown, int offset)
{
    if (shown.lines.isEmpty())
        return {0, 0};
    const auto after = std::upper_bound(shown.starts.begin(), shown.starts.end(), offset);
    const auto index = std::max<qsizetype>(after - shown.starts.begin() - 1, 0);
    return {shown.lines[index], offset - shown.starts[index]};
}

int ReceiveAccessible::OffsetOf(const Shown& shown, qint64 line, qsizetype column)
{
    if (shown.lines.isEmpty() || line < shown.lines.front())
        return 0;
    if (line > shown.lines.back())
        return static_cast<int>(shown.text.size());
    return shown.starts[shown.lines.indexOf(line)] + static_cast<int>(column);
}

void ReceiveAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !area_.HasSelection())
        return;
    const Shown shown = InView();
    const ReceiveArea::Position start = area_.SelectionStart(), end = area_.SelectionEnd();
    *startOffset = OffsetOf(shown, start.line, start.column);
    *endOffset = OffsetOf(shown, end.line, end.column);
}

int ReceiveAccessible::selectionCount() const
{
    int start = 0, end = 0;
    selection(0, &start, &end);
    return start != end ? 1 : 0;
}

void ReceiveAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void ReceiveAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        area_.Select({}, {});
}

void ReceiveAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    const Shown shown = InView();
    const auto [startLine, startColumn] = PlaceOf(shown, startOffset);
    const auto [endLine, endColumn] = PlaceOf(shown, endOffset);
    area_.Select({startLine, startColumn}, {endLine, endColumn});
}

int ReceiveAccessible::cursorPosition() const
{
    int start = 0, end = 0;
    selection(0, &start, &end);
    return end;
}

void ReceiveAccessible::setCursorPosition(int position)
{
    setSelection(0, position, position);
}

QString ReceiveAccessible::text(int startOffset, int endOffset) const
{
    return InView().text.mid(startOffset, std::max(endOffset - startOffset, 0));
}

int ReceiveAccessible::characterCount() const
{
    return static_cast<int>(InView().text.size());
}

QRect ReceiveAccessible::characterRect(int offset) const
{
    const auto [line, column] = PlaceOf(InView(), offset);
    const QRect place = area_.RectOf({line, column}).toAlignedRect();
    return place.isNull() ? QRect() : QRect(area_.viewport()->mapToGlobal(place.topLeft()), place.size());
}

int ReceiveAccessible::offsetAtPoint(const QPoint& point) const
{
    const ReceiveArea::Position place = area_.PositionAt(area_.viewport()->mapFromGlobal(point));
    return OffsetOf(InView(), place.line, place.column);
}

void ReceiveAccessible::scrollToSubstring(int, int)
{
    // Its text is what the view shows.
}

QString ReceiveAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = offset;
    return {};
}
