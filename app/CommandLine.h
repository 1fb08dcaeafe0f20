#pragma once

#include <QStringList>
#include <filesystem>
#include <optional>

// What a session is asked to do beyond the window's defaults.
struct SessionOptions {
    QString device;                  // put into the device box at load
    bool open = false;               // press Open once the window is shown
    std::filesystem::path logPath;   // received lines, with their times
    std::filesystem::path tracePath; // every library call, with its bytes
    bool reopen = false;             // follow the device when it leaves and returns
    bool times = false;              // show each line's time
    bool echo = false;               // show the lines written among the received ones
    bool bytes = false;              // show the bytes each line came from
    std::filesystem::path script;    // run once the window is shown (and opened)
    std::filesystem::path tap;       // the script's reports, once it has run
    std::filesystem::path junit;
    bool remember = false; // read and write the settings
    QString settingsFile;  // where; empty: Settings::UsersFile()
};

// What the command line asks for.
struct CommandLine {
    // Set when the program is to stop at once with this status, after
    // printing `output`: to standard output for 0, else to standard error.
    std::optional<int> exitStatus;
    QString output;
    SessionOptions session;
};

// Parses the program's arguments (ProgramArguments), the program's name
// first. --help and --version stop with 0; anything not understood stops with
// 2 and the usage.
CommandLine ParseCommandLine(const QStringList& arguments);
