#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/AppendFile.h"

class MessageSink;

// The files a session writes: the log of received lines and of what else
// happened, and the trace of library calls. Their problems are told once
// each, and the program goes on without the file. A log can be started and
// stopped while the program runs.
class SessionFiles {
public:
    using Time = std::chrono::system_clock::time_point;

    // An empty path asks for no such file. problemArrived is called on a
    // writer thread when a file meets a problem, so that the program's thread
    // can be woken to tell it (ReportProblems). With a heading, each log
    // begins with a "start" line holding it and when the session began.
    SessionFiles(const std::filesystem::path& logPath, const std::filesystem::path& tracePath,
                 MessageSink& messages, const std::function<void()>& problemArrived = {},
                 std::string heading = {});
    // Every file finishes at once, so that together they wait no longer than one.
    ~SessionFiles();

    // Appends a received line, after its local time to the millisecond.
    void LogLine(std::u16string_view line, Time time = std::chrono::system_clock::now());
    // Appends what is not a received line: its time, a kind word and the text escaped.
    void LogMark(std::string_view kind, std::u16string_view text, Time time);
    // Stops the log that runs, if any, and appends to the file from now on.
    void StartLog(const std::filesystem::path& path);
    // The log writes what it was handed and closes on its own; never waits.
    void StopLog();
    // The running log's file; empty without one.
    const std::filesystem::path& LogPath() const { return logPath_; }
    // Called when ReportProblems stops a log whose file failed.
    std::function<void()> LogFailed;
    // The trace's file; empty without one.
    const std::filesystem::path& TracePath() const { return tracePath_; }
    // Where the trace goes; null without one.
    AppendFile* Trace() const { return trace_.get(); }
    // Shows the problems not told yet.
    void ReportProblems();

private:
    std::unique_ptr<AppendFile> log_;
    std::filesystem::path logPath_;
    std::vector<std::unique_ptr<AppendFile>> stopped_; // logs still writing what they were handed
    std::unique_ptr<AppendFile> trace_;
    std::filesystem::path tracePath_;
    MessageSink& messages_;
    std::function<void()> problemArrived_;
    std::string heading_;
    Time began_ = std::chrono::system_clock::now();
};
