// Packets of any bytes, with any reported length, through reception and line
// assembly: no control character reaches a line, the pending line stays
// bounded, every text character received reaches a line or the pending line,
// in order, and so does every byte the text came from (but a lead byte still
// waiting for its trail byte), each dropped byte with the line its CR ended.
#include <cstdlib>

#include "devicelink/DeviceLink.h"
#include "fuzz/FuzzInput.h"
#include "session/LineAssembly.h"
#include "tests/support/FakeLibrary.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    FakeLibrary library;
    RecordedMessages messages;
    DeviceLink link{library, messages};
    link.State.InPipe = 4;
    while (!input.Empty()) {
        const std::uint8_t length = input.Byte();
        const std::uint8_t claim = input.Byte();
        FakeLibrary::Read read{1, {}, std::nullopt};
        const std::string bytes = input.Bytes(length % 80);
        read.bytes.assign(bytes.begin(), bytes.end());
        // Mostly the true length; sometimes a lie, a failure, or none at all.
        if (claim < 200)
            read.reportedLength = static_cast<std::int32_t>(bytes.size());
        else if (claim < 250)
            read.reportedLength = static_cast<std::int32_t>(claim) * 37 - 5000;
        read.result = claim == 255 ? 0 : 1;
        library.reads.push_back(read);
    }

    std::u16string text; // every character that is neither a control nor a line end
    LineAssembly lines;
    std::u16string shown;
    std::string keptBytes, droppedBytes, linesBytes, linesDropped;
    bool bytesCutShort = false;
    while (!library.reads.empty()) {
        const std::u16string read = link.ReceiveLine(10);
        const DeviceLink::Packet bytes = link.LastPacketRead();
        const LineAssembly::Packet packet{bytes.kept, bytes.dropped};
        keptBytes += bytes.kept;
        if (!read.empty())
            droppedBytes += bytes.dropped;
        Check(read.size() <= DeviceLink::BUFFER_SIZE + 1);
        for (char16_t c : read)
            if (c >= 32)
                text += c;
        lines.Walk(
            read,
            [&](std::u16string_view line) {
                for (char16_t c : line)
                    Check(c >= 32);
                shown += line;
                linesBytes += lines.LineBytes();
                linesDropped += lines.DroppedBytes();
                bytesCutShort |= lines.BytesNotKept() > 0;
                Check(lines.LineBytes().size() <= LineAssembly::BYTES_LIMIT);
            },
            &packet);
        Check(lines.PendingLine.size() <= LineAssembly::PENDING_LIMIT);
    }
    Check(shown + lines.PendingLine == text);
    Check(linesDropped == droppedBytes);
    if (!bytesCutShort && lines.BytesNotKept() == 0) {
        const std::string handed = linesBytes + std::string(lines.LineBytes());
        Check(keptBytes.compare(0, handed.size(), handed) == 0 && keptBytes.size() - handed.size() <= 1);
    }
    return 0;
}
