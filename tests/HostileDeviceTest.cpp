#include <gtest/gtest.h>

#include <random>

#include "devicelink/DeviceLink.h"
#include "session/LineAssembly.h"
#include "tests/support/FakeLibrary.h"

// Random packets of any bytes and any claimed length: the text that comes out
// holds no control characters, the pending line stays bounded, nothing crashes.
TEST(HostileDevice, RandomPacketsNeverBreakReceptionOrAssembly)
{
    FakeLibrary library;
    RecordedMessages messages;
    DeviceLink link{library, messages};
    link.State.InPipe = 4;
    LineAssembly lines;
    std::mt19937 random(932);
    std::uniform_int_distribution<int> byte(0, 255), size(0, 65), claimed(-10, 1000);

    std::size_t shown = 0;
    for (int packet = 0; packet < 20000; ++packet) {
        FakeLibrary::Read read{1, {}, 0};
        read.bytes.resize(static_cast<std::size_t>(size(random)));
        for (auto& b : read.bytes)
            b = static_cast<std::uint8_t>(byte(random) % 3 == 0 ? 0x81 + byte(random) % 8 : byte(random));
        read.reportedLength =
            packet % 7 == 0 ? claimed(random) : static_cast<std::int32_t>(read.bytes.size());
        library.reads.push_back(read);

        std::u16string text = link.ReceiveLine(10);
        // A lead byte held over from the last packet may become a character of
        // its own (U+FFFD) before a full packet's 65.
        ASSERT_LE(text.size(), DeviceLink::BUFFER_SIZE + 1);
        lines.Walk(text, [&shown](std::u16string_view line) {
            ++shown;
            for (char16_t c : line)
                ASSERT_GE(c, 32);
        });
        ASSERT_LE(lines.PendingLine.size(), LineAssembly::PENDING_LIMIT);
    }
    EXPECT_GT(shown, 1000u);
}
