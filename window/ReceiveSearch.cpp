#include "window/ReceiveSearch.h"

#include <algorithm>

#include "window/ReceiveArea.h"

namespace {

Qt::CaseSensitivity SensitivityOf(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isUpper(); }) ? Qt::CaseSensitive
                                                                                      : Qt::CaseInsensitive;
}

// Where the text starts in the line, left to right; marked lines have none.
std::vector<int> MatchColumns(const LineStore& lines, qint64 line, const QString& text,
                              Qt::CaseSensitivity sensitivity)
{
    if (lines.LookOf(line) != LineStore::Look::Plain)
        return {};
    return lines.TextOf(line).Columns(text, sensitivity);
}

int CountIn(const LineStore& lines, qint64 line, const QString& text, Qt::CaseSensitivity sensitivity)
{
    return static_cast<int>(MatchColumns(lines, line, text, sensitivity).size());
}

} // namespace

ReceiveSearch::ReceiveSearch(ReceiveArea& area) : area_(area)
{
    connect(&area_, &ReceiveArea::Flushed, this, [this] {
        if (found_.text.isEmpty())
            return;
        Update(found_);
        emit Changed();
    });
}

void ReceiveSearch::Update(Found& found) const
{
    const qint64 gone = area_.LinesGone();
    while (!found.lines.empty() && found.lines.front().number < gone) {
        found.count -= found.lines.front().matches;
        found.lines.pop_front();
    }
    const qint64 end = area_.EndLine();
    for (qint64 number = std::max(found.searchedTo, gone); number < end; ++number)
        if (const int matches = CountIn(area_.Lines(), number, found.text, found.sensitivity)) {
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
            for (const Line& line : earlier.lines) {
                if (const int matches = CountIn(area_.Lines(), line.number, text, sensitivity)) {
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
    area_.Highlight({}, Qt::CaseInsensitive);
}

std::vector<int> ReceiveSearch::Columns(qint64 line) const
{
    return MatchColumns(area_.Lines(), line, found_.text, found_.sensitivity);
}

void ReceiveSearch::Move(bool older, bool inclusive)
{
    const std::deque<Line>& lines = found_.lines;
    if (lines.empty()) {
        line_ = -1;
        return;
    }
    auto next = lines.end() - 1; // from nowhere: the newest
    if (line_ >= 0) {
        auto at = std::lower_bound(lines.begin(), lines.end(), line_,
                                   [](const Line& line, qint64 number) { return line.number < number; });
        if (at != lines.end() && at->number == line_) {
            const std::vector<int> columns = Columns(line_);
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
    const std::vector<int> columns = Columns(line_);
    column_ = older ? columns.back() : columns.front();
}

void ReceiveSearch::Show()
{
    if (line_ >= 0)
        area_.ShowMatch({line_, column_}, found_.text.size(), ClearOfTop);
    area_.Highlight(found_.text, found_.sensitivity);
    emit Changed();
}
