#pragma once

#include <string>
#include <vector>

#include "devicelink/AttachedDevice.h"

// One line per device: its identifier, strings (control characters escaped),
// place and whether it can be opened; and a line saying so when no USB
// device is attached.
std::string ListingText(const std::vector<AttachedDevice>& devices);

// ListingText of the devices this platform's backends reach, with what they
// could not say; for --list.
std::string AttachedDevicesText();
