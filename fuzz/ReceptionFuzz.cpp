// Packets of any bytes, with any reported length, through reception and line
// assembly: no control character reaches a line, the pending line stays
// bounded, and the lines are the same however the text is cut into walks.
#include <cstdlib>
#include <vector>

#include "DeviceLink.h"
#include "FakeLibrary.h"
#include "FuzzInput.h"
#include "LineAssembly.h"

namespace {

using Lines = std::vector<std::u16string>;

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

    std::u16string received;
    LineAssembly whole;
    Lines wholeLines;
    while (!library.reads.empty()) {
        const std::u16string text = link.ReceiveLine(10);
        Check(text.size() <= DeviceLink::BUFFER_SIZE + 1);
        received += text;
        whole.Walk(text, [&wholeLines](std::u16string_view line) { wholeLines.emplace_back(line); });
        Check(whole.PendingLine.size() <= LineAssembly::PENDING_LIMIT);
    }
    for (const std::u16string& line : wholeLines)
        for (char16_t c : line)
            Check(c >= 32);

    // The same text walked a character at a time gives the same lines.
    LineAssembly single;
    Lines singleLines;
    for (char16_t c : received)
        single.Walk(std::u16string_view(&c, 1),
                    [&singleLines](std::u16string_view line) { singleLines.emplace_back(line); });
    LineAssembly once;
    Lines onceLines;
    once.Walk(received, [&onceLines](std::u16string_view line) { onceLines.emplace_back(line); });
    Check(singleLines == onceLines && onceLines == wholeLines);
    Check(single.PendingLine == whole.PendingLine);
    return 0;
}
