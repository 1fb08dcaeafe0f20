#pragma once

#include <filesystem>
#include <istream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "session/Script.h"

// The script a stream holds, shown in reports as `name`, or what is wrong:
// "NAME: cannot be read" or the script's own error.
std::variant<Script, std::string> ReadScript(std::istream& in, const std::string& name);
// The same from a file.
std::variant<Script, std::string> ReadScriptFile(const std::filesystem::path& path, const std::string& name);

// How many tests the scripts hold: the plan of their reports.
int TestCount(const std::vector<Script>& scripts);

// Each device line of the scripts, with its script, in order: a device line
// may stand in a set-up or a test (a script without test lines is one test).
std::vector<std::pair<const Script*, const Step*>> DeviceLines(const std::vector<Script>& scripts);
