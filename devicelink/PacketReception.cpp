// The device link reads a packet and hands on its text.
#include <algorithm>

#include "devicelink/DeviceLink.h"

std::u16string DeviceLink::ReceiveLine(std::int32_t timeoutMs)
{
    // A library that reports success without storing a length must not make
    // the previous packet show again.
    ReceivedLength = 0;
    if (library_.MPUSBRead(State.InPipe, ReceiveBuffer.data(), BUFFER_SIZE, &ReceivedLength, timeoutMs) ==
        0) {
        ReceivedLength = 0;
        LastReadError = library_.GetLastError();
        if (LastReadError == ErrorCode::DeviceNotConnected && Departed)
            Departed();
        return {};
    }
    LastReadError = 0;

    // Only the bytes of this packet count: whatever earlier, longer packets
    // left in the buffer stays there.
    auto received = static_cast<std::size_t>(std::clamp<std::int32_t>(ReceivedLength, 0, BUFFER_SIZE));
    std::u16string text = decoder_.Decode(ReceiveBuffer.data(), received);

    // Devices may pad a packet after its CR: the text ends at the first CR.
    std::size_t cr = text.find(u'\r');
    if (cr != std::u16string::npos) {
        text.resize(cr + 1);
        decoder_.Reset(); // a lead byte after the CR was cut off with the rest
    }
    return text;
}

DeviceLink::Packet DeviceLink::LastPacketRead() const
{
    const std::string_view bytes(
        reinterpret_cast<const char*>(ReceiveBuffer.data()),
        static_cast<std::size_t>(std::clamp<std::int32_t>(ReceivedLength, 0, BUFFER_SIZE)));
    // A CR byte is never part of a double-byte character: it is the text's first CR.
    const std::size_t cr = bytes.find('\r');
    if (cr == std::string_view::npos)
        return {bytes, {}};
    return {bytes.substr(0, cr + 1), bytes.substr(cr + 1)};
}
