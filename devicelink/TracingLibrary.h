#pragma once

#include <chrono>

#include "devicelink/CodePage.h"
#include "devicelink/UsbLibrary.h"

class AppendFile;

// Hands every call on to the library it wraps and writes a line about it to a
// trace: microseconds since the trace began, the call, the handle, the result,
// the error code of a failure, and the bytes of a read or write in hex and as
// text (code page 932, a dot for each byte that shows nothing). Texts given to
// the library are written escaped, so one call is always one line. The trace
// begins with the local time of its zero. Reads that time out with nothing
// are counted, and one line says how many once the run of them ends; so are
// repeats of a failed read, such as those of an unplugged device. Taken at
// the library's interface, the trace is the same for every backend.
class TracingLibrary final : public UsbLibrary {
public:
    TracingLibrary(UsbLibrary& library, AppendFile& trace);
    ~TracingLibrary() override;

    std::int32_t MPUSBGetDeviceCount(const std::string& deviceId) override;
    PipeHandle MPUSBOpen(std::int32_t instance, const std::string& deviceId, const std::string& endpoint,
                         std::int32_t direction, std::int32_t reserved) override;
    std::int32_t MPUSBWrite(PipeHandle pipe, const std::uint8_t* data, std::int32_t length,
                            std::int32_t* sentLength, std::int32_t timeoutMs) override;
    std::int32_t MPUSBRead(PipeHandle pipe, std::uint8_t* data, std::int32_t length,
                           std::int32_t* receivedLength, std::int32_t timeoutMs) override;
    std::int32_t MPUSBClose(PipeHandle pipe) override;
    // The code read from the library right after its last failed call.
    std::uint32_t GetLastError() override { return lastError_; }

private:
    void Line(const std::string& text);
    // Writes how many reads the run of empty or failed ones held.
    void EndRuns();
    std::string ErrorText();
    std::string BytesText(const std::uint8_t* data, std::int32_t length);
    // Bytes of code page 932 as an escaped, quoted text.
    std::string TextField(const std::string& bytes);

    UsbLibrary& library_;
    AppendFile& trace_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    long emptyReads_ = 0;
    long failedReadRepeats_ = 0;
    std::string failedRead_; // the line of the last failed read, while its run lasts
    std::uint32_t lastError_ = 0;
    CodePageDecoder decoder_;
};
