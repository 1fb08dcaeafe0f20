#include <gtest/gtest.h>
#include <regex>

#include "common/AppendFile.h"
#include "devicelink/TracingLibrary.h"
#include "tests/support/FakeLibrary.h"
#include "tests/support/FileLines.h"

TEST(TracingLibrary, TraceNamesEveryCallWithItsBytesAndCountsEmptyReads)
{
    TempFolder folder;
    const std::filesystem::path path = folder / "session.trace";
    FakeLibrary library;
    {
        AppendFile file(path);
        TracingLibrary trace(library, file);
        EXPECT_EQ(trace.MPUSBGetDeviceCount("demo"), 1);
        library.deviceCount = 0;
        EXPECT_EQ(trace.MPUSBGetDeviceCount("demo\x1B[2Jx\nFAKE 1 write\x82\xA0\\\""), 0);
        EXPECT_EQ(trace.MPUSBOpen(0, "demo", "\\MCHP_EP1", DIRECTION_WRITE, 0), 3);
        const std::uint8_t packet[20] = {'A', 'B', 'C', '\r', 'O', 'W', 0x82, 0xA0, 0x81};
        EXPECT_EQ(trace.MPUSBWrite(3, packet, 20, nullptr, 1000), 1);
        std::uint8_t buffer[65];
        std::int32_t length = 0;
        library.lastErrors = {ErrorCode::Timeout};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(trace.MPUSBRead(4, buffer, 65, &length, 10), 0);
        library.QueueRead("A\rB\r\n");
        EXPECT_EQ(trace.MPUSBRead(4, buffer, 65, &length, 10), 1);
        library.lastErrors = {ErrorCode::DeviceNotConnected}; // unplugged: every read fails at once
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(trace.MPUSBRead(4, buffer, 65, &length, 10), 0);
        library.QueueRead("\x80\r"); // back a moment: a failure after it is written again
        EXPECT_EQ(trace.MPUSBRead(4, buffer, 65, &length, 10), 1);
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(trace.MPUSBRead(4, buffer, 65, &length, 10), 0);
        library.writeResult = 0;
        library.lastErrors = {ErrorCode::DeviceNotConnected};
        EXPECT_EQ(trace.MPUSBWrite(3, packet, 20, nullptr, 1000), 0);
        EXPECT_EQ(trace.GetLastError(), ErrorCode::DeviceNotConnected);
        EXPECT_EQ(trace.MPUSBClose(3), 1);
    }
    const std::vector<std::string> lines = LinesOf(path);
    ASSERT_FALSE(lines.empty());
    // Its zero in local time first, so that it can be read beside the log.
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(^ +0\tstart\t\d{4}-\d\d-\d\dT[^ ]+$)"))) << lines[0];
    std::string calls;
    for (std::size_t i = 1; i < lines.size(); ++i) { // each after its time
        const std::size_t time = lines[i].find_first_not_of(' ');
        calls += (i > 1 ? "\n" : "") + lines[i].substr(lines[i].find(' ', time) + 1);
    }
    EXPECT_EQ(
        calls,
        "count \"demo\" -> 1\n"
        "count \"demo\\x1B[2Jx\\nFAKE 1 write\u3042\\\\\\\"\" -> 0\n"
        "open \"demo\" \"\\\\MCHP_EP1\" direction 0 -> 3\n"
        "write handle 3 -> 1  20 bytes  41 42 43 0D 4F 57 82 A0 81 00 00 00 00 00 00 00 00 00 00 00  "
        "|ABC.OWあ............|\n"
        "3 empty reads\n"
        "read handle 4 -> 1  5 bytes  41 0D 42 0D 0A  |A.B..|\n"
        "read handle 4 -> 0 error 1167\n"
        "3 more reads failed alike\n"
        "read handle 4 -> 1  2 bytes  80 0D  |..|\n" // a C1 character shows as nothing
        "read handle 4 -> 0 error 1167\n"
        "1 more reads failed alike\n"
        "write handle 3 -> 0 error 1167  20 bytes  41 42 43 0D 4F 57 82 A0 81 00 00 00 00 00 00 00 00 00 "
        "00 00  |ABC.OWあ............|\n"
        "close handle 3 -> 1");
}
