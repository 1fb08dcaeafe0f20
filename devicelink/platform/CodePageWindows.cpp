// The system's ANSI code page on Windows, as the system converts it.
#include <windows.h>

#include "common/Utf16.h"
#include "devicelink/CodePage.h"

namespace {

// The character of one or two bytes, or nothing when they are not one.
std::optional<char16_t> Character(const std::uint8_t* bytes, int length)
{
    wchar_t unit = 0;
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes), length, &unit,
                            1) != 1)
        return std::nullopt;
    return static_cast<char16_t>(unit);
}

// The code of one character (a unit, or a surrogate pair), empty when it has
// none: a character the code page lacks is not replaced by a look-alike.
std::string CodeOf(std::u16string_view text, std::size_t& consumed)
{
    consumed = CharacterUnits(text);
    char bytes[8];
    BOOL usedDefault = FALSE;
    const int length =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(text.data()),
                            static_cast<int>(consumed), bytes, sizeof bytes, nullptr, &usedDefault);
    if (length <= 0 || usedDefault)
        return {};
    return std::string(bytes, static_cast<std::size_t>(length));
}

// Hands each character's code to accept until accept refuses one.
template <typename Accept> bool EachCode(std::u16string_view text, Accept accept)
{
    while (!text.empty()) {
        std::size_t consumed = 1;
        if (!accept(CodeOf(text, consumed)))
            return false;
        text.remove_prefix(consumed);
    }
    return true;
}

} // namespace

CodePageDecoder::CodePageDecoder(const char*) {}
CodePageDecoder::~CodePageDecoder() = default;

bool IsLeadByte(std::uint8_t byte)
{
    return IsDBCSLeadByteEx(CP_ACP, byte) != 0;
}

std::optional<std::string> MissingConverter(const char*)
{
    return std::nullopt; // the system converts its own code page
}

std::u16string CodePageDecoder::Decode(const std::uint8_t* bytes, std::size_t length)
{
    std::basic_string<std::uint8_t> input;
    if (pendingLead_)
        input += *pendingLead_;
    input.append(bytes, length);
    pendingLead_.reset();

    std::u16string text;
    for (std::size_t i = 0; i < input.size();) {
        if (IsLeadByte(input[i])) {
            if (i + 1 == input.size()) {
                pendingLead_ = input[i]; // its trail byte comes with the next packet
                break;
            }
            if (std::optional<char16_t> c = Character(&input[i], 2)) {
                text += *c;
                i += 2;
                continue;
            }
            // Not a pair: the lead byte alone is replaced, so it never
            // swallows the CR or LF after it.
        }
        text += Character(&input[i], 1).value_or(REPLACEMENT_CHARACTER);
        ++i;
    }
    return text;
}

std::string EncodeCodePage(std::u16string_view text)
{
    std::string bytes;
    EachCode(text, [&bytes](const std::string& code) {
        bytes += code.empty() ? "?" : code;
        return true;
    });
    return bytes;
}

std::optional<std::string> EncodeSingleBytes(std::u16string_view text)
{
    std::string bytes;
    const bool whole = EachCode(text, [&bytes](const std::string& code) {
        bytes += code;
        return code.size() == 1;
    });
    if (!whole)
        return std::nullopt;
    return bytes;
}
