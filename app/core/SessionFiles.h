#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

#include "AppendFile.h"

class MessageSink;

// The files a session writes when the command line asks for them: the log of
// received lines and the trace of library calls. Their problems are told
// once each, and the program goes on without the file.
class SessionFiles {
public:
    // An empty path asks for no such file. problemArrived is called on a
    // writer thread when a file meets a problem, so that the program's thread
    // can be woken to tell it (ReportProblems).
    SessionFiles(const std::filesystem::path& logPath, const std::filesystem::path& tracePath,
                 MessageSink& messages, const std::function<void()>& problemArrived = {});

    // Appends a received line, after its local time to the millisecond.
    void LogLine(std::u16string_view line);
    // Appends what is not a received line: its time, a kind word and the text escaped.
    void LogMark(std::string_view kind, std::u16string_view text);
    // Where the trace goes; null without one.
    AppendFile* Trace() const { return trace_.get(); }
    // Shows the problems not told yet.
    void ReportProblems();

private:
    std::unique_ptr<AppendFile> log_;
    std::unique_ptr<AppendFile> trace_;
    MessageSink& messages_;
};
