#include "common/TextEscape.h"

#include <cstdio>

#include "common/Utf16.h"

namespace {

void AppendUtf8(std::string& bytes, char32_t c)
{
    if (c < 0x80) {
        bytes += static_cast<char>(c);
    } else if (c < 0x800) {
        bytes += static_cast<char>(0xC0 | c >> 6);
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        bytes += static_cast<char>(0xE0 | c >> 12);
        bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | c >> 18);
        bytes += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        bytes += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The bytes that `append` gives each character of the text, a lone surrogate
// as U+FFFD.
template <typename Append> std::string Converted(std::u16string_view text, Append append)
{
    std::string bytes;
    bytes.reserve(text.size());
    while (!text.empty()) {
        const char16_t c = text[0];
        const std::size_t units = CharacterUnits(text);
        if (units == 2)
            append(bytes, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[1] - 0xDC00));
        else
            append(bytes, c >= 0xD800 && c < 0xE000 ? U'\uFFFD' : static_cast<char32_t>(c));
        text.remove_prefix(units);
    }
    return bytes;
}

// Appends the character as UTF-8, a control character (C0, DEL, C1) as \xHH
// or \u0080 to \u009F.
void AppendShown(std::string& bytes, char32_t c)
{
    char escape[8];
    if (c < 0x20 || c == 0x7F)
        std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(c));
    else if (c >= 0x80 && c < 0xA0)
        std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
    else
        return AppendUtf8(bytes, c);
    bytes += escape;
}

} // namespace

std::string Utf8(std::u16string_view text)
{
    return Converted(text, AppendUtf8);
}

std::string EscapedText(std::u16string_view text)
{
    return Converted(text, [](std::string& bytes, char32_t c) {
        switch (c) {
        case U'\\':
        case U'"':
            bytes += '\\';
            bytes += static_cast<char>(c);
            return;
        case U'\t':
            bytes += "\\t";
            return;
        case U'\n':
            bytes += "\\n";
            return;
        case U'\r':
            bytes += "\\r";
            return;
        default:
            AppendShown(bytes, c);
        }
    });
}

std::string Utf8WithoutControls(std::u16string_view text)
{
    return Converted(text, AppendShown);
}

std::size_t Utf8SequenceLength(std::string_view bytes)
{
    if (bytes.empty())
        return 0;
    const auto lead = static_cast<unsigned char>(bytes[0]);
    std::size_t length = 0;
    char32_t least = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead < 0xE0)
        length = 2, least = 0x80;
    else if (lead >= 0xE0 && lead < 0xF0)
        length = 3, least = 0x800;
    else if (lead >= 0xF0 && lead < 0xF5)
        length = 4, least = 0x10000;
    if (length == 0 || length > bytes.size())
        return 0;
    char32_t c = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        c = c << 6 | (next & 0x3F);
    }
    const bool surrogate = c >= 0xD800 && c < 0xE000;
    return c >= least && c <= 0x10FFFF && !surrogate ? length : 0;
}

std::optional<std::u16string> FromUtf8(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t length = Utf8SequenceLength(bytes);
        if (length == 0)
            return std::nullopt;
        char32_t c = length == 1 ? static_cast<unsigned char>(bytes[0])
                                 : static_cast<unsigned char>(bytes[0]) & (0x7F >> length);
        for (std::size_t i = 1; i < length; ++i)
            c = c << 6 | (static_cast<unsigned char>(bytes[i]) & 0x3F);
        if (c >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(c);
        }
        bytes.remove_prefix(length);
    }
    return text;
}
