#include "session/ReportText.h"

#include "common/TextEscape.h"

namespace {

bool Unreadable(char32_t c, ReportReader reader)
{
    if (c == 0xFFFE || c == 0xFFFF)
        return true;
    const bool c0 = c < 0x20 || c == 0x7F, c1 = c >= 0x80 && c < 0xA0;
    switch (reader) {
    case ReportReader::Yaml:
        return c1;
    case ReportReader::TapLine:
        return (c0 && c != '\t') || c1;
    case ReportReader::Xml:
        break;
    }
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c1; // C1 is XML, but a terminal's CSI
}

} // namespace

std::string ReadableText(std::string_view bytes, ReportReader reader)
{
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t length = Utf8SequenceLength(bytes);
        const std::string_view character = bytes.substr(0, std::max<std::size_t>(length, 1));
        const std::u16string utf16 = FromUtf8(character).value_or(u"\uFFFD");
        const char32_t c = utf16.size() == 2 ? 0x10000 : utf16[0]; // beyond the plane: always fine
        text += length == 0 || Unreadable(c, reader) ? std::string_view("\xEF\xBF\xBD") : character;
        bytes.remove_prefix(character.size());
    }
    return text;
}
