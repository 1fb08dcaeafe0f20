#pragma once

#include <filesystem>
#include <string>
#include <vector>

// What differs between platforms in how the runner meets its caller; one
// file per platform.

// The arguments as UTF-8 (on Windows from the wide command line: argv holds
// them in the ANSI code page, which may not hold what the user typed);
// elsewhere argv's bytes as they are.
std::vector<std::string> RunArguments(int argc, char* argv[]);

// The file an argument names, through the wide API on Windows.
std::filesystem::path PathOfArgument(const std::string& argument);

// Standard input and output carry bytes as they are (no CR added, no end at
// Ctrl-Z on Windows), and the console shows UTF-8. Where a standard stream is
// closed, a stand-in takes its number, on which every use fails as on a
// closed one, so that no file opened later takes its place; and a write to a
// reader that went away, or past the file size limit, fails instead of ending
// the program.
void PrepareStandardStreams();
