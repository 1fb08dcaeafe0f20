#pragma once

#include <filesystem>
#include <vector>

#include "session/TestReport.h"

// A JUnit XML file, as CI servers read it: a test suite per script, a test
// case per test with its time, for a failure its reason and the test's last
// transcript lines, for a test not run an error. It is written whole or not
// at all: into a file beside it, renamed into place once complete, so that an
// earlier file stays whole until then. Where renaming cannot replace it (a
// device such as /dev/stdout, a FIFO), it is written in place.
class JUnitFile {
public:
    explicit JUnitFile(const std::filesystem::path& path);
    // Whether it can be written, asked before anything is sent: a file can be
    // made beside it (and is removed again); never a FIFO or a socket.
    bool CanWrite() const;
    void Add(const TestReport& report) { reports_.push_back(report); }
    // False when the file could not be written; an earlier one is then left as it was.
    bool Write() const;

private:
    std::filesystem::path path_;    // where it is written: a link's target
    std::filesystem::path partial_; // the file beside it, renamed into place; empty: in place
    bool fifo_ = false;             // a FIFO or a socket: not written
    std::vector<TestReport> reports_;
};
