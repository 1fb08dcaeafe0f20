#pragma once

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

// A file that the program's thread appends text to without waiting for the
// disk: a writer thread appends and flushes each piece as it comes, so what
// was handed over is on disk even if the program then ends abruptly. A file
// that does not open, a write that fails and text that has to be left out
// because the disk cannot keep up are problems to tell the user, each once;
// after a failure nothing more is written.
class AppendFile {
public:
    // Text waiting beyond this is left out rather than held in memory.
    static constexpr std::size_t QUEUE_LIMIT = 16 << 20;

    explicit AppendFile(std::string path);
    // Writes what is waiting, then closes.
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    void Append(std::string_view text);
    // A problem not told yet, or nothing.
    std::optional<std::string> TakeProblem();

private:
    void Write();
    void Fail(std::string problem);

    const std::string path_;
    std::FILE* file_ = nullptr;
    std::mutex mutex_;
    std::condition_variable waiting_;
    std::string queued_;
    std::optional<std::string> problem_;
    bool failed_ = false;
    bool leftOut_ = false;
    bool stopping_ = false;
    std::thread writer_;
};
