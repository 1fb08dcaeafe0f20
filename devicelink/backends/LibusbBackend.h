#pragma once

#include <map>
#include <memory>
#include <vector>

#include "devicelink/UsbBackend.h"

struct libusb_context;
struct libusb_device;
struct libusb_device_handle;

// Real devices through libusb, selected by the "vid_XXXX" and "pid_YYYY" in
// the identifier. Both pipes of one device share one handle and one claim of
// interface 0, released when the last of them is closed.
class LibusbBackend final : public UsbBackend {
public:
    LibusbBackend() = default;
    ~LibusbBackend() override;
    LibusbBackend(const LibusbBackend&) = delete;
    LibusbBackend& operator=(const LibusbBackend&) = delete;

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

    // Devices with interface 0 and endpoint 1 OUT and IN; whether each can
    // be opened is found by opening it, never by claiming it.
    std::vector<AttachedDevice> Attached() override;
    // libusb's own descriptors: its hot-plug news wakes them.
    std::vector<int> WakeDescriptors() override;
    void HandleWakeUps() override;
    std::uint64_t Changes() const override { return changes_; }

private:
    struct Claim; // an open device with interface 0 claimed
    struct Pipe {
        std::shared_ptr<Claim> device;
        std::uint8_t address; // endpoint address, 0x80 set for IN
        bool interrupt;
        std::uint16_t maxPacket;
        // A read takes a whole packet; what did not fit the caller's buffer
        // waits here for the next reads.
        std::vector<std::uint8_t> packet;
        std::size_t filled = 0;
        std::size_t taken = 0;
    };

    libusb_context* Context();
    // The device's claim, shared with its other pipes or made now; null with
    // libusb's error when the device cannot be opened or claimed.
    std::shared_ptr<Claim> ClaimOf(libusb_device* device, int& error);
    std::int32_t Transfer(const Pipe& pipe, std::uint8_t* data, std::int32_t length,
                          std::int32_t* transferred, std::int32_t timeoutMs);
    Pipe* PipeFor(PipeHandle pipe, bool in);

    // Runs inside libusb's event handling, also during a transfer: it only counts.
    static int HotPlugged(libusb_context* context, libusb_device* device, int event, void* self);

    libusb_context* context_ = nullptr;
    std::uint64_t changes_ = 0;
    bool contextFailed_ = false;
    std::map<std::uint16_t, std::weak_ptr<Claim>> claims_; // by bus and address
    std::map<PipeHandle, Pipe> pipes_;
    PipeHandle nextHandle_ = 0;
    LastError lastError_;
};
