#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "devicelink/UsbBackend.h"

// The USB library as the device link sees it: hands each call to the backend
// that the identifier selects, and gives out its own small handles so that the
// caller never learns which backend answers.
class LibraryRouter final : public UsbLibrary {
public:
    void AddBackend(std::unique_ptr<UsbBackend> backend);

    std::int32_t MPUSBGetDeviceCount(const std::string& deviceId) override;
    PipeHandle MPUSBOpen(std::int32_t instance, const std::string& deviceId, const std::string& endpoint,
                         std::int32_t direction, std::int32_t reserved) override;
    std::int32_t MPUSBWrite(PipeHandle pipe, const std::uint8_t* data, std::int32_t length,
                            std::int32_t* sentLength, std::int32_t timeoutMs) override;
    std::int32_t MPUSBRead(PipeHandle pipe, std::uint8_t* data, std::int32_t length,
                           std::int32_t* receivedLength, std::int32_t timeoutMs) override;
    std::int32_t MPUSBClose(PipeHandle pipe) override;
    std::uint32_t GetLastError() override;

    // What the backends tell of attached devices, together (UsbBackend).
    std::vector<AttachedDevice> Attached();
    std::vector<int> WakeDescriptors();
    void HandleWakeUps();
    std::uint64_t Changes() const;

private:
    struct Route {
        UsbBackend* backend;
        PipeHandle inner;
    };

    UsbBackend* BackendFor(const std::string& deviceId) const;
    const Route* RouteOf(PipeHandle pipe);

    std::vector<std::unique_ptr<UsbBackend>> backends_;
    std::vector<std::optional<Route>> routes_; // indexed by our handle
    LastError lastError_;
};
