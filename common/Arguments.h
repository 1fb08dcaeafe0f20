#pragma once

#include <filesystem>
#include <string>
#include <vector>

// How a program takes its arguments, losing nothing; one file per platform.

// The arguments as UTF-8 on Windows, from the wide command line (argv holds
// them in the ANSI code page, which may not hold what the user typed);
// elsewhere argv's bytes as they are.
std::vector<std::string> ProgramArguments(int argc, char* argv[]);

// The file an argument names, exactly as the user gave it: the same bytes,
// or on Windows the same wide characters.
std::filesystem::path PathOfArgument(const std::string& argument);
