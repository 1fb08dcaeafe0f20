#include "devicelink/TracingLibrary.h"

#include <algorithm>
#include <cstdio>

#include "common/AppendFile.h"
#include "common/LocalTime.h"
#include "common/TextEscape.h"

namespace {

std::string Stamp(std::chrono::microseconds elapsed)
{
    char stamp[24];
    std::snprintf(stamp, sizeof stamp, "%12lld", static_cast<long long>(elapsed.count()));
    return stamp;
}

} // namespace

TracingLibrary::TracingLibrary(UsbLibrary& library, AppendFile& trace) : library_(library), trace_(trace)
{
    // The local time of the trace's zero, so that it can be read beside the log.
    trace_.Mark(Stamp({}), "start", LocalTimeText(std::chrono::system_clock::now()));
}

TracingLibrary::~TracingLibrary()
{
    EndRuns();
}

void TracingLibrary::Line(const std::string& text)
{
    using namespace std::chrono;
    trace_.Line(Stamp(duration_cast<microseconds>(steady_clock::now() - start_)), text);
}

void TracingLibrary::EndRuns()
{
    if (emptyReads_ > 0)
        Line(std::to_string(emptyReads_) + " empty reads");
    if (failedReadRepeats_ > 0)
        Line(std::to_string(failedReadRepeats_) + " more reads failed alike");
    emptyReads_ = 0;
    failedReadRepeats_ = 0;
    failedRead_.clear();
}

std::string TracingLibrary::TextField(const std::string& bytes)
{
    decoder_.Reset();
    std::u16string text = decoder_.Decode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    if (decoder_.HoldsLeadByte())
        text += REPLACEMENT_CHARACTER;
    return "\"" + EscapedText(text) + "\"";
}

std::string TracingLibrary::ErrorText()
{
    lastError_ = library_.GetLastError();
    return " error " + std::to_string(lastError_);
}

std::string TracingLibrary::BytesText(const std::uint8_t* data, std::int32_t length)
{
    const auto count = static_cast<std::size_t>(std::max(length, 0));
    std::string text = "  " + std::to_string(count) + " bytes ";
    char hex[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(hex, sizeof hex, " %02X", data[i]);
        text += hex;
    }
    // One dot for each byte that shows nothing: a control, or a byte that
    // is no character, such as half a double-byte character at the end.
    decoder_.Reset();
    std::u16string shown = decoder_.Decode(data, count);
    std::replace_if(
        shown.begin(), shown.end(),
        [](char16_t c) { return c < 32 || (c >= 0x7F && c < 0xA0) || c == REPLACEMENT_CHARACTER; }, u'.');
    if (decoder_.HoldsLeadByte())
        shown += u'.';
    return text + "  |" + Utf8(shown) + "|";
}

std::int32_t TracingLibrary::MPUSBGetDeviceCount(const std::string& deviceId)
{
    EndRuns();
    const std::int32_t count = library_.MPUSBGetDeviceCount(deviceId);
    Line("count " + TextField(deviceId) + " -> " + std::to_string(count));
    return count;
}

PipeHandle TracingLibrary::MPUSBOpen(std::int32_t instance, const std::string& deviceId,
                                     const std::string& endpoint, std::int32_t direction,
                                     std::int32_t reserved)
{
    EndRuns();
    const PipeHandle pipe = library_.MPUSBOpen(instance, deviceId, endpoint, direction, reserved);
    Line("open " + TextField(deviceId) + " " + TextField(endpoint) + " direction " +
         std::to_string(direction) + " -> " + std::to_string(pipe) +
         (pipe == INVALID_PIPE ? ErrorText() : ""));
    return pipe;
}

std::int32_t TracingLibrary::MPUSBWrite(PipeHandle pipe, const std::uint8_t* data, std::int32_t length,
                                        std::int32_t* sentLength, std::int32_t timeoutMs)
{
    EndRuns();
    const std::int32_t result = library_.MPUSBWrite(pipe, data, length, sentLength, timeoutMs);
    Line("write handle " + std::to_string(pipe) + " -> " + std::to_string(result) +
         (result != 1 ? ErrorText() : "") + BytesText(data, length));
    return result;
}

std::int32_t TracingLibrary::MPUSBRead(PipeHandle pipe, std::uint8_t* data, std::int32_t length,
                                       std::int32_t* receivedLength, std::int32_t timeoutMs)
{
    const std::int32_t result = library_.MPUSBRead(pipe, data, length, receivedLength, timeoutMs);
    if (result == 0) {
        const std::string line = "read handle " + std::to_string(pipe) + " -> 0" + ErrorText();
        if (lastError_ == ErrorCode::Timeout) {
            if (!failedRead_.empty())
                EndRuns();
            ++emptyReads_;
        } else if (line == failedRead_) {
            ++failedReadRepeats_;
        } else {
            EndRuns();
            Line(line);
            failedRead_ = line;
        }
        return result;
    }
    EndRuns();
    const std::int32_t received = receivedLength ? std::clamp(*receivedLength, 0, length) : 0;
    Line("read handle " + std::to_string(pipe) + " -> " + std::to_string(result) + BytesText(data, received));
    return result;
}

std::int32_t TracingLibrary::MPUSBClose(PipeHandle pipe)
{
    EndRuns();
    const std::int32_t result = library_.MPUSBClose(pipe);
    Line("close handle " + std::to_string(pipe) + " -> " + std::to_string(result));
    return result;
}
