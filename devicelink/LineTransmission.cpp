// The device link sends a line as one packet.
#include <algorithm>
#include <array>

#include "devicelink/DeviceLink.h"
#include "devicelink/MessageSink.h"

bool DeviceLink::SendLine(std::u16string_view line)
{
    if (State.OutPipe == INVALID_PIPE || State.InPipe == INVALID_PIPE)
        return false;

    std::optional<std::string> bytes = EncodeSingleBytes(line);
    if (!bytes) {
        // Each character must fit one byte; the buffer stays as it was.
        messages_.ShowMessage("The line was not sent: it holds a character that has no one-byte code");
        return false;
    }
    // The buffer is never cleared: bytes past the CR stay from earlier lines.
    // A line longer than the buffer keeps its first characters; only the first
    // 20 bytes go out anyway.
    const std::size_t length = std::min(bytes->size(), BUFFER_SIZE - 1);
    std::copy_n(bytes->begin(), length, SendBuffer.begin());
    if (bytes->size() == length)
        SendBuffer[length] = '\r';

    if (SendPacket(SendBuffer.data(), PACKET_SIZE, WRITE_TIMEOUT_MS) != 1) {
        if (!departed_ && !QuietWrites) // a device that is followed as it leaves is no failure to tell
            messages_.ShowMessage("Failed to send data");
        return false;
    }
    return true;
}

bool DeviceLink::SendPacketOf(std::string_view bytes)
{
    // Nothing of earlier lines rides along: without a CR, the device would take it as typed.
    std::array<std::uint8_t, PACKET_SIZE> packet{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), packet.size()), packet.begin());
    if (SendPacket(packet.data(), PACKET_SIZE, WRITE_TIMEOUT_MS) == 1)
        return true;
    if (!departed_ && !QuietWrites)
        messages_.ShowMessage("Failed to send data");
    return false;
}

std::int32_t DeviceLink::SendPacket(const std::uint8_t* buffer, std::int32_t length, std::int32_t timeoutMs)
{
    if (State.OutPipe == INVALID_PIPE || State.InPipe == INVALID_PIPE)
        return 0;
    std::int32_t sentLength = 0;
    departed_ = false;
    if (library_.MPUSBWrite(State.OutPipe, buffer, length, &sentLength, timeoutMs) == 1) {
        std::copy_n(buffer, std::min<std::int32_t>(length, PACKET_SIZE), lastSent_.begin());
        return 1;
    }
    ReportLastError();
    return 0;
}

std::string_view DeviceLink::LastPacketSent() const
{
    return {reinterpret_cast<const char*>(lastSent_.data()), lastSent_.size()};
}
