#include "TextEscape.h"

#include <cstdio>

#include "Utf16.h"

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

// Calls `each` with every character of the text, a lone surrogate as U+FFFD.
template <typename Each> void ForEachCharacter(std::u16string_view text, Each each)
{
    while (!text.empty()) {
        const char16_t c = text[0];
        const std::size_t units = CharacterUnits(text);
        if (units == 2)
            each(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[1] - 0xDC00));
        else
            each(c >= 0xD800 && c < 0xE000 ? U'\uFFFD' : static_cast<char32_t>(c));
        text.remove_prefix(units);
    }
}

} // namespace

std::string Utf8(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    ForEachCharacter(text, [&bytes](char32_t c) { AppendUtf8(bytes, c); });
    return bytes;
}

std::string EscapedText(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    ForEachCharacter(text, [&bytes](char32_t c) {
        char escape[8];
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
            break;
        }
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(c));
            bytes += escape;
        } else if (c >= 0x80 && c < 0xA0) {
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            bytes += escape;
        } else {
            AppendUtf8(bytes, c);
        }
    });
    return bytes;
}
