#include "devicelink/DeviceIdentifier.h"

#include <cctype>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

// The first "<key>XXXX" in the text whose four hex digits are not followed
// by a fifth.
std::optional<std::uint16_t> FindField(std::string_view text, std::string_view key)
{
    for (std::size_t at = 0; at + key.size() + 4 <= text.size(); ++at) {
        if (!StartsWithNoCase(text.substr(at), key))
            continue;
        std::size_t digits = at + key.size();
        int value = 0;
        bool valid = true;
        for (std::size_t i = digits; i < digits + 4 && valid; ++i) {
            int digit = HexValue(text[i]);
            valid = digit >= 0;
            value = value * 16 + digit;
        }
        if (valid && (digits + 4 == text.size() || HexValue(text[digits + 4]) < 0))
            return static_cast<std::uint16_t>(value);
    }
    return std::nullopt;
}

// The rest of the word that starts with " <key>", or nothing.
std::string FindWord(std::string_view text, std::string_view key)
{
    for (std::size_t at = 1; at + key.size() <= text.size(); ++at)
        if (text[at - 1] == ' ' && StartsWithNoCase(text.substr(at), key)) {
            const std::string_view rest = text.substr(at + key.size());
            return std::string(rest.substr(0, rest.find(' ')));
        }
    return {};
}

} // namespace

std::optional<UsbIds> ParseDeviceIdentifier(std::string_view deviceId)
{
    auto vendor = FindField(deviceId, "vid_");
    auto product = FindField(deviceId, "pid_");
    if (!vendor || !product)
        return std::nullopt;
    return UsbIds{*vendor, *product, FindWord(deviceId, "sn_"), FindWord(deviceId, "port_")};
}
