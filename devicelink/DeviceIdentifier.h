#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

struct UsbIds {
    std::uint16_t vendor;
    std::uint16_t product;
};

// The vendor and product an identifier names: it must hold "vid_" and "pid_"
// (any case), each followed by exactly four hex digits; text around them is
// ignored. Nothing when either is missing or malformed.
std::optional<UsbIds> ParseDeviceIdentifier(std::string_view deviceId);
