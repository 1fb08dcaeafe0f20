#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "devicelink/CodePage.h"
#include "devicelink/UsbLibrary.h"

class MessageSink;

// The device link: the state of one device's two pipes and everything said to
// the USB library about them. Its work is in three files:
// - PipeConnection.cpp opens and closes the pipes, reports a failed write's
//   error, and writes the numbers of its messages (NumberText);
// - LineTransmission.cpp sends a line as a packet;
// - PacketReception.cpp reads a packet as text.

// " 5" for 5 and 0, "-1" for -1: a signed 32-bit value's decimal digits after
// its sign, where a value of zero or more has a space for its sign.
std::string NumberText(std::int32_t value);

// The device-link state: which device, which pipes.
struct DeviceLinkState {
    std::string DeviceId; // bytes in code page 932, passed unchanged to the library
    PipeHandle OutPipe = INVALID_PIPE;
    PipeHandle InPipe = INVALID_PIPE;
    bool PipesOpen = false;
};

// Everything said to the USB library: opening and closing the pipes, sending
// a line as a packet, reading a packet as text. Lives for the whole run.
class DeviceLink {
public:
    static constexpr std::size_t BUFFER_SIZE = 65;
    static constexpr std::int32_t PACKET_SIZE = 20;
    static constexpr std::int32_t WRITE_TIMEOUT_MS = 1000;

    DeviceLink(UsbLibrary& library, MessageSink& messages) : library_(library), messages_(messages) {}

    DeviceLinkState State;

    // Opens the write and the read pipe of State.DeviceId; tells the user
    // when there is no such device or a pipe does not open.
    void OpenPipes();
    // The same without telling anyone: what went wrong, or nothing once open.
    std::optional<std::string> OpenPipesQuietly();
    // Closes whatever is open; never tells the user. With a reason, a close of
    // open pipes is noted ("by Close", "at exit").
    void ClosePipes(std::string_view why = {});
    // After a failed write: an invalid handle closes the pipes silently, any
    // other error is shown with its code.
    void ReportLastError();

    // Sends the line as one 20-byte packet: its bytes, CR, and whatever
    // earlier lines left in the transmit buffer. True only when the packet was
    // written; while the pipes are closed nothing is sent and nothing shown.
    bool SendLine(std::u16string_view line);
    // Sends the bytes (at most 20) as one 20-byte packet, zeros after them:
    // keys without a line end. True only when the packet was written.
    bool SendPacketOf(std::string_view bytes);
    // Writes the first `length` bytes of `buffer`; 1 when written, else 0
    // after the failure has been reported.
    std::int32_t SendPacket(const std::uint8_t* buffer, std::int32_t length, std::int32_t timeoutMs);

    // Reads at most one packet, waiting at most timeoutMs, and returns its
    // text up to and including the first CR; empty when nothing was read.
    std::u16string ReceiveLine(std::int32_t timeoutMs);
    // The bytes of the packet the last ReceiveLine read: those its text came
    // from (up to and including the first CR), and those after the CR that it
    // dropped. Empty after a read that failed.
    struct Packet {
        std::string_view kept;
        std::string_view dropped;
    };
    Packet LastPacketRead() const;
    // The bytes of the last packet written.
    std::string_view LastPacketSent() const;
    // The library's code for the last read that failed, 0 after one that
    // worked: ErrorCode::DeviceNotConnected once the device has gone.
    std::uint32_t LastReadError = 0;
    // Set by whoever follows a device that leaves and returns: a read or a
    // write that fails because the device has gone calls it instead of
    // telling the user. Unset, such a failure is handled as it always was.
    std::function<void()> Departed;
    // Set by a caller that tells of a failed write itself (a script run): the
    // failure is shown to no one, and LastWriteError holds the library's code.
    bool QuietWrites = false;
    std::uint32_t LastWriteError = 0;
    // Set by whoever keeps a record of the session: told of each open
    // ("open"), each open that failed with its message ("failed") and each
    // close with its reason ("close"), as a kind word and a text.
    std::function<void(std::string_view kind, std::u16string_view text)> Noted;

private:
    void Note(std::string_view kind, std::string_view detail);

    UsbLibrary& library_;
    MessageSink& messages_;
    std::array<std::uint8_t, BUFFER_SIZE> SendBuffer{};
    std::array<std::uint8_t, PACKET_SIZE> lastSent_{};
    std::array<std::uint8_t, BUFFER_SIZE> ReceiveBuffer{};
    std::int32_t ReceivedLength = 0;
    CodePageDecoder decoder_;
    bool departed_ = false; // the last write failed because the device left, and Departed was told
};
