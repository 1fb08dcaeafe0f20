#include "TracingLibrary.h"

#include <algorithm>
#include <cstdio>

#include "AppendFile.h"

namespace {

std::string Utf8(std::u16string_view text)
{
    // Code page 932 decodes into the Basic Multilingual Plane only.
    std::string bytes;
    for (char16_t c : text) {
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | c >> 6);
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += static_cast<char>(0xE0 | c >> 12);
            bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

TracingLibrary::TracingLibrary(UsbLibrary& library, AppendFile& trace) : library_(library), trace_(trace) {}

TracingLibrary::~TracingLibrary()
{
    EndEmptyReads();
}

void TracingLibrary::Line(const std::string& text)
{
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_);
    char time[24];
    std::snprintf(time, sizeof time, "%12lld ", static_cast<long long>(elapsed.count()));
    trace_.Append(time + text + "\n");
}

void TracingLibrary::EndEmptyReads()
{
    if (emptyReads_ == 0)
        return;
    Line(std::to_string(emptyReads_) + " empty reads");
    emptyReads_ = 0;
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
        [](char16_t c) { return c < 32 || c == 0x7F || c == REPLACEMENT_CHARACTER; }, u'.');
    if (decoder_.HoldsLeadByte())
        shown += u'.';
    return text + "  |" + Utf8(shown) + "|";
}

std::int32_t TracingLibrary::MPUSBGetDeviceCount(const std::string& deviceId)
{
    EndEmptyReads();
    const std::int32_t count = library_.MPUSBGetDeviceCount(deviceId);
    Line("count " + Quoted(deviceId) + " -> " + std::to_string(count));
    return count;
}

PipeHandle TracingLibrary::MPUSBOpen(std::int32_t instance, const std::string& deviceId,
                                     const std::string& endpoint, std::int32_t direction,
                                     std::int32_t reserved)
{
    EndEmptyReads();
    const PipeHandle pipe = library_.MPUSBOpen(instance, deviceId, endpoint, direction, reserved);
    Line("open " + Quoted(deviceId) + " " + endpoint + " direction " + std::to_string(direction) + " -> " +
         std::to_string(pipe) + (pipe == INVALID_PIPE ? ErrorText() : ""));
    return pipe;
}

std::int32_t TracingLibrary::MPUSBWrite(PipeHandle pipe, const std::uint8_t* data, std::int32_t length,
                                        std::int32_t* sentLength, std::int32_t timeoutMs)
{
    EndEmptyReads();
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
        const std::string error = ErrorText();
        if (lastError_ == ErrorCode::Timeout) {
            ++emptyReads_;
            return result;
        }
        EndEmptyReads();
        Line("read handle " + std::to_string(pipe) + " -> 0" + error);
        return result;
    }
    EndEmptyReads();
    const std::int32_t received = receivedLength ? std::clamp(*receivedLength, 0, length) : 0;
    Line("read handle " + std::to_string(pipe) + " -> " + std::to_string(result) + BytesText(data, received));
    return result;
}

std::int32_t TracingLibrary::MPUSBClose(PipeHandle pipe)
{
    EndEmptyReads();
    const std::int32_t result = library_.MPUSBClose(pipe);
    Line("close handle " + std::to_string(pipe) + " -> " + std::to_string(result));
    return result;
}
