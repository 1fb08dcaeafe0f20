#include "window/SendHistory.h"

void SendHistory::Add(const QString& line)
{
    position_ = -1;
    if (line.isEmpty())
        return;
    // Only the first 20 characters go out: a longer line's start keeps them.
    const QString kept = line.left(LINE_LIMIT);
    if (!entries_.empty() && entries_.front() == kept)
        return;
    entries_.push_front(kept);
    if (entries_.size() > ENTRY_LIMIT)
        entries_.pop_back();
}

std::optional<QString> SendHistory::Older(const QString& shown)
{
    for (int entry = position_ + 1; entry < static_cast<int>(entries_.size()); ++entry) {
        if (entries_[entry] == shown)
            continue;
        if (position_ == -1)
            typed_ = shown;
        position_ = entry;
        return entries_[entry];
    }
    return std::nullopt;
}

std::optional<QString> SendHistory::Newer(const QString& shown)
{
    if (position_ == -1)
        return std::nullopt;
    for (int entry = position_ - 1; entry >= 0; --entry) {
        if (entries_[entry] != shown) {
            position_ = entry;
            return entries_[entry];
        }
    }
    position_ = -1;
    return typed_;
}
