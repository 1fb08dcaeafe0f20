#pragma once

#include <cstdio>
#include <string>

struct TestReport;

// Test reports as TAP version 13 on a stream, in UTF-8: the plan, a line a
// test, and a YAML block for each that failed, in a form that prove's reader,
// PyYAML and tappy read alike.
class Tap {
public:
    Tap(std::FILE* out, int plan);
    // Into the text, for a file written once the run is over.
    Tap(std::string& text, int plan);
    void Write(const TestReport& report);
    // Why a write to the stream failed (a full disk, a reader that went
    // away); empty while none has. Nothing is written after one.
    const std::string& Problem() const { return problem_; }

private:
    void Put(const std::string& text);

    std::FILE* out_ = nullptr;
    std::string* text_ = nullptr;
    int number_ = 0;
    std::string problem_;
};
