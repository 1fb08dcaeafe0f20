#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Conversion between the system's ANSI code page and UTF-16 text: on Windows
// the real ANSI code page, elsewhere code page 932 through iconv (one file per
// platform). A character takes one byte, or two after a lead byte; every
// character lies in the Basic Multilingual Plane, so it is one UTF-16 unit.

// What to tell the user when the converter is missing: without it only ASCII
// passes. Nothing when it is there. A name other than null asks about that
// converter instead of the system's.
std::optional<std::string> MissingConverter(const char* name = nullptr);

// Turns received bytes into text. A lead byte at the end of one call waits for
// the trail byte of the next; any other byte that is not valid becomes U+FFFD.
class CodePageDecoder {
public:
    // A converter name other than null converts with that one instead of the
    // system's (where there is a choice).
    explicit CodePageDecoder(const char* converter = nullptr);
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    std::u16string Decode(const std::uint8_t* bytes, std::size_t length);
    // Forgets a lead byte that is still waiting for its trail byte.
    void Reset() { pendingLead_.reset(); }
    bool HoldsLeadByte() const { return pendingLead_.has_value(); }

private:
    void* converter_ = nullptr; // the platform's, where it needs one
    bool asciiAsIs_ = false;    // where the platform's converter can be skipped for ASCII
    std::optional<std::uint8_t> pendingLead_;
};

constexpr char16_t REPLACEMENT_CHARACTER = u'\uFFFD';

// The bytes of the text; characters with no code become '?'.
std::string EncodeCodePage(std::u16string_view text);

// The one-byte codes of the text, or nothing when a character has no
// one-byte code (a double-byte character, an emoji, a lone surrogate).
std::optional<std::string> EncodeSingleBytes(std::u16string_view text);

// True when the byte starts a double-byte character.
bool IsLeadByte(std::uint8_t byte);
