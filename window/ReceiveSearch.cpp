#include "window/ReceiveSearch.h"

#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>

#include "window/ReceiveArea.h"

namespace {

const QColor MATCH_BACKGROUND(255, 226, 110);

Qt::CaseSensitivity SensitivityOf(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isUpper(); }) ? Qt::CaseSensitive
                                                                                      : Qt::CaseInsensitive;
}

// Marked lines start with a tab and are not searched.
bool Searched(const QString& line)
{
    return !line.startsWith(u'\t');
}

// Where the text starts in the line, left to right; marked lines have none.
std::vector<int> MatchColumns(const QString& line, const QString& text, Qt::CaseSensitivity sensitivity)
{
    std::vector<int> columns;
    if (Searched(line))
        for (qsizetype at = line.indexOf(text, 0, sensitivity); at >= 0;
             at = line.indexOf(text, at + text.size(), sensitivity))
            columns.push_back(static_cast<int>(at));
    return columns;
}

int CountIn(const QString& line, const QString& text, Qt::CaseSensitivity sensitivity)
{
    return static_cast<int>(MatchColumns(line, text, sensitivity).size());
}

} // namespace

ReceiveSearch::ReceiveSearch(ReceiveArea& area) : area_(area)
{
    connect(&area_, &ReceiveArea::Flushed, this, [this] {
        if (found_.text.isEmpty())
            return;
        Update(found_);
        Highlight();
        emit Changed();
    });
    connect(area_.verticalScrollBar(), &QScrollBar::valueChanged, this, &ReceiveSearch::Highlight);
}

void ReceiveSearch::Update(Found& found) const
{
    const qint64 gone = area_.LinesGone();
    while (!found.lines.empty() && found.lines.front().number < gone) {
        found.count -= found.lines.front().matches;
        found.lines.pop_front();
    }
    const qint64 end = gone + area_.document()->blockCount() - 1; // the last block is empty
    qint64 number = std::max(found.searchedTo, gone);
    for (QTextBlock block = area_.document()->findBlockByNumber(static_cast<int>(number - gone));
         number < end && block.isValid(); ++number, block = block.next())
        if (const int matches = CountIn(block.text(), found.text, found.sensitivity)) {
            found.lines.push_back({number, matches});
            found.count += matches;
        }
    found.searchedTo = std::max(found.searchedTo, end);
}

void ReceiveSearch::Find(const QString& text)
{
    area_.Flush(); // lines waiting for the frame are searched too
    if (text.isEmpty()) {
        Stop();
        emit Changed();
        return;
    }
    const Qt::CaseSensitivity sensitivity = SensitivityOf(text);
    if (!found_.text.isEmpty())
        narrowed_.push_back(std::move(found_));
    found_ = {text, sensitivity, {}, 0, 0};
    // Back to the text typed before, or on from a shorter one this one narrows.
    while (!narrowed_.empty()) {
        Found& earlier = narrowed_.back();
        if (earlier.text == text) {
            found_ = std::move(earlier);
            narrowed_.pop_back();
            break;
        }
        if (earlier.sensitivity == sensitivity && text.contains(earlier.text, sensitivity)) {
            Update(earlier);
            const qint64 gone = area_.LinesGone();
            for (const Line& line : earlier.lines) {
                const QTextBlock block =
                    area_.document()->findBlockByNumber(static_cast<int>(line.number - gone));
                if (const int matches = CountIn(block.text(), text, sensitivity)) {
                    found_.lines.push_back({line.number, matches});
                    found_.count += matches;
                }
            }
            found_.searchedTo = earlier.searchedTo;
            break;
        }
        narrowed_.pop_back();
    }
    Update(found_);
    Move(true, true);
    Show();
}

void ReceiveSearch::Step(bool older)
{
    if (found_.text.isEmpty())
        return;
    area_.Flush();
    Move(older, false);
    Show();
}

void ReceiveSearch::Stop()
{
    found_ = {};
    narrowed_.clear();
    line_ = -1;
    column_ = -1;
    area_.setExtraSelections({});
}

std::vector<int> ReceiveSearch::Columns(const QTextBlock& block) const
{
    return MatchColumns(block.text(), found_.text, found_.sensitivity);
}

void ReceiveSearch::Move(bool older, bool inclusive)
{
    const std::deque<Line>& lines = found_.lines;
    if (lines.empty()) {
        line_ = -1;
        return;
    }
    const qint64 gone = area_.LinesGone();
    auto columnsOf = [&](qint64 number) {
        return Columns(area_.document()->findBlockByNumber(static_cast<int>(number - gone)));
    };
    auto next = lines.end() - 1; // from nowhere: the newest
    if (line_ >= 0) {
        auto at = std::lower_bound(lines.begin(), lines.end(), line_,
                                   [](const Line& line, qint64 number) { return line.number < number; });
        if (at != lines.end() && at->number == line_) {
            const std::vector<int> columns = columnsOf(line_);
            if (older) {
                auto before = std::find_if(columns.rbegin(), columns.rend(),
                                           [&](int c) { return inclusive ? c <= column_ : c < column_; });
                if (before != columns.rend()) {
                    column_ = *before;
                    return;
                }
            } else {
                auto after = std::find_if(columns.begin(), columns.end(),
                                          [&](int c) { return inclusive ? c >= column_ : c > column_; });
                if (after != columns.end()) {
                    column_ = *after;
                    return;
                }
                ++at;
            }
        }
        if (older)
            next = at == lines.begin() ? lines.end() - 1 : at - 1;
        else
            next = at == lines.end() ? lines.begin() : at;
    } else if (!older) {
        next = lines.begin();
    }
    line_ = next->number;
    const std::vector<int> columns = columnsOf(line_);
    column_ = older ? columns.back() : columns.front();
}

void ReceiveSearch::Show()
{
    if (line_ >= 0) {
        const QTextBlock block =
            area_.document()->findBlockByNumber(static_cast<int>(line_ - area_.LinesGone()));
        QTextCursor match(block);
        match.setPosition(block.position() + column_);
        match.setPosition(block.position() + column_ + static_cast<int>(found_.text.size()),
                          QTextCursor::KeepAnchor);
        area_.ShowMatch(match, ClearOfTop);
    }
    Highlight();
    emit Changed();
}

void ReceiveSearch::Highlight()
{
    QList<QTextEdit::ExtraSelection> marks;
    if (!found_.text.isEmpty())
        for (const QTextBlock& block : area_.BlocksInView())
            for (int column : Columns(block)) {
                QTextEdit::ExtraSelection mark;
                mark.cursor = QTextCursor(block);
                mark.cursor.setPosition(block.position() + column);
                mark.cursor.setPosition(block.position() + column + static_cast<int>(found_.text.size()),
                                        QTextCursor::KeepAnchor);
                mark.format.setBackground(MATCH_BACKGROUND);
                marks.push_back(mark);
            }
    area_.setExtraSelections(marks);
}
