#pragma once

#include <string>
#include <vector>

#include "devicelink/UsbLibrary.h"

// The 20-byte packet a line becomes: its bytes, CR, zero padding.
inline std::vector<std::uint8_t> CommandPacket(const std::string& line)
{
    std::vector<std::uint8_t> packet(line.begin(), line.end());
    packet.push_back('\r');
    packet.resize(20, 0);
    return packet;
}

// Every packet the device has ready, each as a string.
inline std::vector<std::string> DrainPackets(UsbLibrary& library, PipeHandle in, int limit = 1000)
{
    std::vector<std::string> packets;
    std::uint8_t buffer[65];
    std::int32_t length = 0;
    while (limit-- > 0 && library.MPUSBRead(in, buffer, 65, &length, 0) != 0)
        packets.emplace_back(reinterpret_cast<char*>(buffer), length);
    return packets;
}
