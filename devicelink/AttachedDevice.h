#pragma once

#include <string>

// A device that a backend could talk to (interface 0 with endpoint 1 OUT and
// IN), as the device lists show it.
struct AttachedDevice {
    std::string id; // what goes into the device box and to the library: "vid_04d8&pid_0011"
    // The device's own strings, as it gave them; empty when it has none or
    // they could not be read.
    std::string manufacturer;
    std::string product;
    std::string serial;
    std::string place;   // "bus 1 port 1.2"; empty where there is none
    std::string problem; // why this user cannot open it; empty when they can
};
