#pragma once

#include <cstdio>

struct TestReport;

// Test reports as TAP version 13 on a stream, in UTF-8: the plan, a line a
// test, and a YAML block for each that failed, its texts escaped.
class Tap {
public:
    Tap(std::FILE* out, int plan);
    void Write(const TestReport& report);

private:
    std::FILE* out_;
    int number_ = 0;
};
