// Lines of any text sent one after another: every packet is 20 bytes, the
// transmit buffer is never overrun, a refused line writes nothing.
#include <cstdlib>

#include "devicelink/DeviceLink.h"
#include "fuzz/FuzzInput.h"
#include "tests/support/FakeLibrary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    FakeLibrary library;
    RecordedMessages messages;
    DeviceLink link{library, messages};
    link.State.OutPipe = 3;
    link.State.InPipe = 4;
    while (!input.Empty()) {
        const std::string bytes = input.Bytes(input.Byte());
        // Mostly ASCII and katakana, so that many lines are sent.
        std::u16string line;
        for (unsigned char b : bytes)
            line += b < 0xA0 ? char16_t(b) : b < 0xE0 ? char16_t(0xFF61 + (b - 0xA1) % 63) : char16_t(b << 6);
        const std::size_t before = library.written.size();
        const bool sent = link.SendLine(line);
        if (sent != (library.written.size() == before + 1))
            std::abort();
        if (sent && library.written.back().size() != DeviceLink::PACKET_SIZE)
            std::abort();
    }
    return 0;
}
