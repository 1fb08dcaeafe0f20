#include "session/LineAssembly.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "devicelink/CodePage.h"

namespace {

bool IsLineEnd(char16_t c)
{
    return c == u'\r' || c == u'\n';
}

bool IsDropped(char16_t c)
{
    return c < 32 && !IsLineEnd(c);
}

// The bytes of one read, taken a character at a time as the decoder took them.
class ByteWalk {
public:
    explicit ByteWalk(std::string_view bytes) : bytes_(bytes) {}

    // The character's bytes: two for a lead byte that made a character with
    // the next, one for any other. A line end takes all up to its own byte,
    // so that the walk is in step again at each line end whatever came before.
    std::string_view Take(char16_t c)
    {
        const std::size_t from = at_;
        if (IsLineEnd(c)) {
            const std::size_t end = bytes_.find(static_cast<char>(c), at_);
            at_ = end == std::string_view::npos ? bytes_.size() : end + 1;
        } else {
            const bool pair = c != REPLACEMENT_CHARACTER && at_ + 1 < bytes_.size() &&
                              IsLeadByte(static_cast<std::uint8_t>(bytes_[at_]));
            at_ = std::min(at_ + (pair ? 2 : 1), bytes_.size());
        }
        return bytes_.substr(from, at_ - from);
    }
    std::string_view Rest() const { return bytes_.substr(at_); }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

} // namespace

void LineAssembly::Walk(std::u16string_view text, const LineSink& sink, const Packet* packet)
{
    // Only a lead byte carried from the read before needs this read's bytes copied after it.
    const std::string joined =
        packet && !carried_.empty() ? std::exchange(carried_, {}) + std::string(packet->kept) : "";
    std::optional<ByteWalk> bytes;
    if (packet)
        bytes.emplace(joined.empty() ? packet->kept : std::string_view(joined));
    if (text.empty()) {
        if (bytes)
            KeepRest(bytes->Rest()); // a lead byte alone makes no character yet
        return;                      // an empty read does not part a CR from its LF
    }
    auto take = [&](char16_t c) {
        if (bytes)
            KeepBytes(bytes->Take(c));
    };
    auto hand = [&](bool last) {
        if (last && packet)
            dropped_ = packet->dropped;
        sink(PendingLine);
        PendingLine.clear();
        pendingBytes_.clear();
        bytesNotKept_ = 0;
        dropped_ = {};
    };
    std::size_t i = 0;
    if (endedWithLoneCr_ && text.front() == u'\n')
        take(text[i++]);
    endedWithLoneCr_ = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsLineEnd(c)) {
            take(c);
            if (i + 1 < text.size() && IsLineEnd(text[i + 1]))
                take(text[++i]); // the second half of this line end
            else
                endedWithLoneCr_ = c == u'\r' && i + 1 == text.size();
            hand(i + 1 == text.size());
            continue;
        }
        if (IsDropped(c)) {
            take(c);
            continue;
        }
        if (PendingLine.size() == PENDING_LIMIT)
            hand(false);
        take(c);
        PendingLine.push_back(c);
    }
    if (bytes)
        KeepRest(bytes->Rest());
}

void LineAssembly::KeepRest(std::string_view rest)
{
    // A lead byte alone waits for its trail byte; anything else is the pending line's.
    if (rest.size() == 1 && IsLeadByte(static_cast<std::uint8_t>(rest.front())))
        carried_ = rest;
    else
        KeepBytes(rest);
}

void LineAssembly::KeepBytes(std::string_view bytes)
{
    const std::size_t room = BYTES_LIMIT - std::min(BYTES_LIMIT, pendingBytes_.size());
    pendingBytes_.append(bytes.substr(0, room));
    bytesNotKept_ += bytes.size() - std::min(room, bytes.size());
}

void LineAssembly::Discard()
{
    PendingLine.clear();
    endedWithLoneCr_ = false;
    pendingBytes_.clear();
    bytesNotKept_ = 0;
    carried_.clear();
}
