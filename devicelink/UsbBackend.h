#pragma once

#include "UsbLibrary.h"

// One way of reaching devices (the demo device, libusb, ...). The router asks
// each backend in turn whether an identifier is its own.
class UsbBackend : public UsbLibrary {
public:
    virtual bool Selects(const std::string& deviceId) const = 0;
};
