#pragma once

#include <filesystem>
#include <fstream>
#include <vector>

#include "ScriptRun.h"

// A JUnit XML file, as CI servers read it: a test suite per script, a test
// case per test with its time, and for a failure its reason and the test's
// transcript. Opened at start, so that a file that cannot be written stops
// the run before anything is sent; written at the end.
class JUnitFile {
public:
    explicit JUnitFile(const std::filesystem::path& path);
    bool IsOpen() const { return out_.is_open(); }
    void Add(const TestReport& report) { reports_.push_back(report); }
    // False when the file could not be written.
    bool Write();

private:
    std::ofstream out_;
    std::vector<TestReport> reports_;
};
