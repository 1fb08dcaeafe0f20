#pragma once

#include <filesystem>

#include "devicelink/UsbBackend.h"

class MessageSink;

// The vendor's USB access library, mpusbapi.dll, loaded when first needed by
// its full path: from the program's own folder first, then from the system
// folder, never from PATH or the current folder, and its own dependencies
// only from its folder and the system's. Its five calls are found by name,
// with or without the leading underscore some compilers add. Without the
// library, or with a call missing, no device is found; the first time that
// happens the user is told why: where it was looked for, a library it needs
// that is missing, a library of the wrong kind, a call it lacks. Failures
// keep the thread's own last error, read at once.
class VendorLibraryBackend final : public UsbBackend {
public:
    // folder: where the program's own copy is looked for; the program's
    // folder when empty.
    explicit VendorLibraryBackend(MessageSink& messages, std::filesystem::path folder = {});
    ~VendorLibraryBackend() override;
    VendorLibraryBackend(const VendorLibraryBackend&) = delete;
    VendorLibraryBackend& operator=(const VendorLibraryBackend&) = delete;

    // Loads the library if that has not been tried yet; true when it and all
    // its calls are there. Tells nothing.
    bool Available();
    // Every identifier but the demo device's is the library's.
    bool Selects(const std::string& deviceId) const override;

    std::int32_t MPUSBGetDeviceCount(const std::string& deviceId) override;
    PipeHandle MPUSBOpen(std::int32_t instance, const std::string& deviceId, const std::string& endpoint,
                         std::int32_t direction, std::int32_t reserved) override;
    std::int32_t MPUSBWrite(PipeHandle pipe, const std::uint8_t* data, std::int32_t length,
                            std::int32_t* sentLength, std::int32_t timeoutMs) override;
    std::int32_t MPUSBRead(PipeHandle pipe, std::uint8_t* data, std::int32_t length,
                           std::int32_t* receivedLength, std::int32_t timeoutMs) override;
    std::int32_t MPUSBClose(PipeHandle pipe) override;
    std::uint32_t GetLastError() override { return lastError_.code; }

private:
    struct Calls;
    // The library's calls, loading it on first use; null when it cannot be
    // had, which is told the first time.
    const Calls* Library();

    MessageSink& messages_;
    std::filesystem::path folder_;
    void* module_ = nullptr;
    bool tried_ = false;
    bool told_ = false;
    std::string problem_; // why the library cannot be had
    Calls* calls_ = nullptr;
    LastError lastError_;
};
