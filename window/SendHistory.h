#pragma once

#include <QString>
#include <deque>
#include <optional>

// The lines written in this run, for Up and Down in the send box, newest
// first: at most ENTRY_LIMIT of at most LINE_LIMIT characters each, no empty
// lines, and a line written twice in a row kept once. Nothing is kept
// between runs.
class SendHistory {
public:
    static constexpr std::size_t ENTRY_LIMIT = 100;
    static constexpr int LINE_LIMIT = 2048;

    // Keeps a written line; stepping starts again from what is typed next.
    void Add(const QString& line);
    // The next older entry that differs from what the box shows, or nothing
    // at the oldest. Leaving the box's own text keeps it as what was typed.
    std::optional<QString> Older(const QString& shown);
    // The next newer entry that differs from what the box shows; past the
    // newest, what was being typed; nothing when that is shown already.
    std::optional<QString> Newer(const QString& shown);

private:
    std::deque<QString> entries_;
    int position_ = -1; // the entry shown; -1 for what was being typed
    QString typed_;
};
