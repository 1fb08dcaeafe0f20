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

    // The bytes kept of a line beyond this are counted, not kept, so that a
    // device that sends only control characters cannot grow them without end.
    static constexpr std::size_t BYTES_LIMIT = 4 * PENDING_LIMIT;

    using LineSink = std::function<void(std::u16string_view line)>;

    // The bytes of one read: those its text came from, and those the
    // reception dropped after its first CR.
    struct Packet {
        std::string_view kept;
        std::string_view dropped;
    };

    // Walks the text of one read and hands every completed line to the sink.
    // Given the read's bytes, LineBytes() and DroppedBytes() tell the sink
    // what each line came from.
    void Walk(std::u16string_view text, const LineSink& sink, const Packet* packet = nullptr);
    // Forgets the partly received line and a line end waiting for its pair.
    void Discard();

    // The bytes of the pending line as they arrived since the line before it,
    // the characters dropped from it included; while the sink runs, those of
    // the line handed on, its line end included. After a line that went on
    // too long to keep them all, how many more there were.
    std::string_view LineBytes() const { return pendingBytes_; }
    std::size_t BytesNotKept() const { return bytesNotKept_; }
    // While the sink runs for the line whose end is the read's first CR: what
    // the reception dropped after it. Empty otherwise.
    std::string_view DroppedBytes() const { return dropped_; }

    std::u16string PendingLine;

private:
    // The last walk ended with a CR that ended a line by itself, so an LF
    // starting the next walk is the rest of that line end.
    void KeepBytes(std::string_view bytes);
    // What the read's characters did not take.
    void KeepRest(std::string_view rest);

    bool endedWithLoneCr_ = false;
    std::string pendingBytes_;
    std::size_t bytesNotKept_ = 0;
    std::string carried_; // a lead byte whose character comes with the next read
    std::string_view dropped_;
};
