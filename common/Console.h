#pragma once

// A program with a window of its own has no console on Windows: when started
// from one, what it prints (help, version, the device list, usage errors) goes
// there, unless its caller redirected it. Nothing to do elsewhere.
void PrintToParentConsole();
