#pragma once

#include <filesystem>
#include <vector>

#include "session/TestReport.h"
#include "session/WholeFile.h"

// A JUnit XML file, as CI servers read it: a test suite per script, a test
// case per test with its time, for a failure its reason and the test's last
// transcript lines, for a test not run an error; written whole or not at all.
class JUnitFile {
public:
    explicit JUnitFile(const std::filesystem::path& path) : file_(path) {}
    // Whether it can be written, asked before anything is sent.
    bool CanWrite() const { return file_.CanWrite(); }
    void Add(const TestReport& report) { reports_.push_back(report); }
    // False when the file could not be written; an earlier one is then left as it was.
    bool Write() const;

private:
    WholeFile file_;
    std::vector<TestReport> reports_;
};
