#pragma once

#include <vector>

#include "devicelink/AttachedDevice.h"
#include "devicelink/UsbLibrary.h"

// One way of reaching devices (the demo device, libusb, ...). The router asks
// each backend in turn whether an identifier is its own.
class UsbBackend : public UsbLibrary {
public:
    virtual bool Selects(const std::string& deviceId) const = 0;

    // The attached devices it could talk to.
    virtual std::vector<AttachedDevice> Attached() { return {}; }
    // Descriptors that become readable when devices come or go, for the
    // program's loop to wait on; none where the backend cannot tell.
    virtual std::vector<int> WakeDescriptors() { return {}; }
    // Handles what woke a descriptor, without waiting.
    virtual void HandleWakeUps() {}
    // How many arrivals and departures it has seen.
    virtual std::uint64_t Changes() const { return 0; }
};
