#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Conversion between code page 932 bytes and UTF-16 text through iconv.
// Every character of code page 932 lies in the Basic Multilingual Plane, so
// one character is one UTF-16 unit.

// iconv's name for code page 932.
constexpr const char* CP932_CONVERTER = "CP932";

// What to tell the user when iconv cannot convert with the named converter:
// without it only ASCII passes. Nothing when it is there.
std::optional<std::string> MissingConverter(const char* name = CP932_CONVERTER);

// Turns received bytes into text. A lead byte at the end of one call waits for
// the trail byte of the next; any other byte that is not valid becomes U+FFFD.
class Cp932Decoder {
public:
    Cp932Decoder();
    ~Cp932Decoder();
    Cp932Decoder(const Cp932Decoder&) = delete;
    Cp932Decoder& operator=(const Cp932Decoder&) = delete;

    std::u16string Decode(const std::uint8_t* bytes, std::size_t length);
    // Forgets a lead byte that is still waiting for its trail byte.
    void Reset() { pendingLead_.reset(); }
    bool HoldsLeadByte() const { return pendingLead_.has_value(); }

private:
    void* converter_;
    std::optional<std::uint8_t> pendingLead_;
};

constexpr char16_t REPLACEMENT_CHARACTER = u'\uFFFD';

// The bytes of the text; characters with no code become '?'.
std::string EncodeCp932(std::u16string_view text);

// The one-byte codes of the text, or nothing when a character has no
// one-byte code (a double-byte character, an emoji, a lone surrogate).
std::optional<std::string> EncodeCp932SingleBytes(std::u16string_view text);

// True when the byte starts a double-byte character.
constexpr bool IsCp932LeadByte(std::uint8_t byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
