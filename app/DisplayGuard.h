#pragma once

#include <string>

// When the display cannot be opened, Qt aborts with advice to reinstall the
// program. While the application object is made, a guard catches that and
// says what is wrong in one sentence instead, then exits with status 1; any
// other message Qt gives meanwhile is held and passed on once the guard goes.
class DisplayGuard {
public:
    explicit DisplayGuard(std::string programName);
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;
};

// The sentence a guard prints, for the environment as it is now.
std::string DisplayProblem(const std::string& programName);
