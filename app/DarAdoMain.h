#pragma once

#include "app/CommandLine.h"

namespace DarAdoMain {

// Shows the terminal window and runs the receive loop until the window goes.
// Returns the program's exit status.
int Main(const SessionOptions& options = {});

} // namespace DarAdoMain
