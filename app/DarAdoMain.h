#pragma once

#include "app/CommandLine.h"

struct Program;

namespace DarAdoMain {

// Shows the terminal window as the options and the settings ask, and sets
// about what the options ask for once the window's events are handled.
void Start(Program& program, const SessionOptions& options);

// Shows the terminal window and runs the receive loop until the window goes.
// Returns the program's exit status.
int Main(const SessionOptions& options = {});

} // namespace DarAdoMain
