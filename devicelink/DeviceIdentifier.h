#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct UsbIds {
    std::uint16_t vendor;
    std::uint16_t product;
    // Which of several such devices: its serial number, or its place as
    // "BUS-PORT.PORT"; empty for any.
    std::string serial = {};
    std::string port = {};
};

// The vendor and product an identifier names: it must hold "vid_" and "pid_"
// (any case), each followed by exactly four hex digits; a word "sn_SERIAL" or
// "port_BUS-PORT.PORT" after a space picks one device; other text around them
// is ignored. Nothing when the vendor or the product is missing or malformed.
std::optional<UsbIds> ParseDeviceIdentifier(std::string_view deviceId);
