#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

// A file of lines that the program's thread appends to without ever waiting:
// a writer thread opens it and writes each piece as it comes, so what was
// handed over is on disk even if the program then ends abruptly, and a file
// that waits (a FIFO before its reader comes, a full pipe, a slow disk) never
// holds the program. A file that does not open and a write that fails (a full
// disk, a pipe whose reader has gone) are told once, and nothing more is
// written. Lines the writer cannot keep up with are left out, told once, and
// marked in the file where they are missing.
class AppendFile {
public:
    // Text waiting beyond this is left out rather than held in memory.
    static constexpr std::size_t QUEUE_LIMIT = 16 << 20;
    // At the end, a writer is waited for at most this long, even one that
    // makes progress (a slow disk); what it has not written then is left behind.
    static constexpr std::chrono::seconds EXIT_WAIT{2};

    // problemArrived is called on the writer thread when it meets a problem,
    // so that the program's thread can be woken to tell it; never after the
    // destructor has returned.
    explicit AppendFile(std::filesystem::path path, std::function<void()> problemArrived = {});
    // Waits while the writer writes what was handed over, but never longer
    // than EXIT_WAIT after Finish, so that files finished together end together.
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Appends "stamp text" as a line; the text holds no line break.
    void Line(std::string_view stamp, std::string_view text);
    // Appends "stamp TAB kind TAB text", a line no received line can look
    // like: kind is a word, the text is escaped (EscapedText).
    void Mark(std::string_view stamp, std::string_view kind, std::string_view text);
    // A problem not told yet, or nothing.
    std::optional<std::string> TakeProblem();
    // Ends the file without waiting: the writer writes what was handed over
    // and closes the file on its own. Nothing may be appended after it.
    void Finish();
    // The file did not open or a write failed: nothing more goes into it.
    bool Failed() const;
    // The writer has closed the file, or given up on it.
    bool Finished() const;

private:
    struct Writer;

    std::shared_ptr<Writer> writer_; // shared with the thread, which may outlive this
    std::thread thread_;
    std::chrono::steady_clock::time_point endBy_; // set by Finish
};
