#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Gathers received characters into lines. A line ends at CR or LF; within one
// walk a second line-end character right after the first belongs to the same
// line end, so CR LF, LF CR, CR CR and LF LF each end one line. Across walks
// only a CR LF pair cut in two is one line end: a device that ends its lines
// with one character sends an empty line as a lone CR or LF of its own.
// Control characters other than CR and LF are dropped.
class LineAssembly {
public:
    // A character that would make the pending text longer than this first
    // sends the pending text out as a line of its own, so that a device that
    // never ends its lines cannot grow it without end.
    static constexpr std::size_t PENDING_LIMIT = 2048;

    using LineSink = std::function<void(std::u16string_view line)>;

    // Walks the text of one read and hands every completed line to the sink.
    void Walk(std::u16string_view text, const LineSink& sink);
    // Forgets the partly received line and a line end waiting for its pair.
    void Discard();

    std::u16string PendingLine;

private:
    // The last walk ended with a CR that ended a line by itself, so an LF
    // starting the next walk is the rest of that line end.
    bool endedWithLoneCr_ = false;
};
