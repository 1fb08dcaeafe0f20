#pragma once

#include <cstddef>
#include <deque>
#include <utility>

// The last lines of many, and how many came before them, so that what a
// report shows stays bounded however much a device sends.
template <typename Text> class LastLines {
public:
    explicit LastLines(std::size_t limit) : limit_(limit) {}

    void Add(Text line)
    {
        if (lines_.size() == limit_) {
            lines_.pop_front();
            ++earlier_;
        }
        lines_.push_back(std::move(line));
    }
    const std::deque<Text>& Lines() const { return lines_; }
    // How many lines came before those kept.
    std::size_t Earlier() const { return earlier_; }
    bool Empty() const { return lines_.empty(); }

private:
    std::size_t limit_;
    std::deque<Text> lines_;
    std::size_t earlier_ = 0;
};
