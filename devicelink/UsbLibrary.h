#pragma once

#include <cstdint>
#include <string>

// Handle of an open pipe as the USB library returns it; -1 marks a closed pipe.
using PipeHandle = std::int32_t;
constexpr PipeHandle INVALID_PIPE = -1;

// System error codes a failed library call leaves behind. They mirror the
// platform's codes so that "Error code: " reads the same everywhere.
namespace ErrorCode {
constexpr std::uint32_t AccessDenied = 5;
constexpr std::uint32_t InvalidHandle = 6;
constexpr std::uint32_t GenFailure = 31;
constexpr std::uint32_t Timeout = 121;
constexpr std::uint32_t Busy = 170;
constexpr std::uint32_t DeviceNotConnected = 1167;
} // namespace ErrorCode

// The code a library's last failed call left behind.
struct LastError {
    std::uint32_t code = 0;
    // Keeps the code and gives 0, the result of a failed call.
    std::int32_t Fail(std::uint32_t failure)
    {
        code = failure;
        return 0;
    }
};

constexpr int DIRECTION_WRITE = 0;
constexpr int DIRECTION_READ = 1;

// The five calls of the USB access library and the thread's last error code.
// Texts are 8-bit strings in the ANSI code page. Results are plain codes:
// no call throws.
class UsbLibrary {
public:
    virtual ~UsbLibrary() = default;

    // Number of attached devices the identifier selects; below 1 means none.
    virtual std::int32_t MPUSBGetDeviceCount(const std::string& deviceId) = 0;
    // A pipe on the endpoint named like "\MCHP_EP1"; -1 on failure.
    virtual PipeHandle MPUSBOpen(std::int32_t instance, const std::string& deviceId,
                                 const std::string& endpoint, std::int32_t direction,
                                 std::int32_t reserved) = 0;
    // Returns 1 on success, anything else on failure (see GetLastError).
    virtual std::int32_t MPUSBWrite(PipeHandle pipe, const std::uint8_t* data, std::int32_t length,
                                    std::int32_t* sentLength, std::int32_t timeoutMs) = 0;
    // Non-zero on success with *receivedLength bytes stored; 0 on failure or time-out.
    virtual std::int32_t MPUSBRead(PipeHandle pipe, std::uint8_t* data, std::int32_t length,
                                   std::int32_t* receivedLength, std::int32_t timeoutMs) = 0;
    virtual std::int32_t MPUSBClose(PipeHandle pipe) = 0;
    virtual std::uint32_t GetLastError() = 0;
};
