#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "CodePage932.h"
#include "UsbLibrary.h"

class MessageSink;

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

    DeviceLink(UsbLibrary& library, MessageSink& messages) : library_(library), messages_(messages) {}

    DeviceLinkState State;

    // Reads at most one packet, waiting at most timeoutMs, and returns its
    // text up to and including the first CR; empty when nothing was read.
    std::u16string ReceiveLine(std::int32_t timeoutMs);

private:
    UsbLibrary& library_;
    [[maybe_unused]] MessageSink& messages_;
    std::array<std::uint8_t, BUFFER_SIZE> ReceiveBuffer{};
    std::int32_t ReceivedLength = 0;
    Cp932Decoder decoder_;
};
