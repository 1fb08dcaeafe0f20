#pragma once

#include <QStringList>
#include <optional>

// What the command line asks for.
struct CommandLine {
    // Set when the program is to stop at once with this status, after
    // printing `output`: to standard output for 0, else to standard error.
    std::optional<int> exitStatus;
    QString output;
};

// Parses the program's arguments, the program's name first. --help and
// --version stop with 0; anything not understood stops with 2 and the usage.
CommandLine ParseCommandLine(const QStringList& arguments);
