#pragma once

#include <chrono>
#include <map>
#include <optional>

#include "devicelink/UsbBackend.h"
#include "devicelink/backends/DemoFirmware.h"

// A device anyone can open: the identifier "demo" (any case, spaces around it
// ignored; IsDemoIdentifier) reaches the demo firmware through a write and a read pipe on
// endpoint 1. Tests use its controls to inject packets, unplug it or make the
// next write fail.
bool IsDemoIdentifier(const std::string& deviceId);

class DemoDevice final : public UsbBackend {
public:
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
    std::vector<AttachedDevice> Attached() override;

    // Controls for tests.
    void InjectPacket(DemoFirmware::Packet packet) { firmware_.Queue(std::move(packet)); }
    void Unplug();
    // The next write fails with this code; a time-out waits the write's time-out first.
    void FailNextWrite(std::uint32_t code) { nextWriteError_ = code; }
    int OpenPipeCount() const { return static_cast<int>(pipes_.size()); }

    // How long the device is away after a RESET, as firmware re-enumerates.
    static constexpr std::chrono::seconds RESET_ABSENCE{1};

private:
    std::optional<std::int32_t> CheckPipe(PipeHandle pipe, std::int32_t direction);
    // After a RESET: the device is away until returnsAt_, and the pipes opened
    // before it left stay dead.
    void Leave();
    void ReturnWhenDue();

    DemoFirmware firmware_;
    DemoFirmware::Packet packet_; // kept from read to read, so a stream needs no new buffer
    struct Pipe {
        std::int32_t direction;
        int generation; // which enumeration of the device it was opened on
    };
    std::map<PipeHandle, Pipe> pipes_;
    int generation_ = 0;
    std::optional<std::chrono::steady_clock::time_point> returnsAt_;
    PipeHandle nextHandle_ = 0;
    std::optional<std::uint32_t> nextWriteError_;
    LastError lastError_;
    bool plugged_ = true;
};
