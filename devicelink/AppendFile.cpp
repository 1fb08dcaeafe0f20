#include "AppendFile.h"

#include <cerrno>
#include <cstring>
#include <utility>

AppendFile::AppendFile(std::string path) : path_(std::move(path))
{
    file_ = std::fopen(path_.c_str(), "a");
    if (!file_) {
        Fail("The file " + path_ + " cannot be opened for appending (" + std::strerror(errno) +
             "); the program goes on without it.");
        return;
    }
    writer_ = std::thread([this] { Write(); });
}

AppendFile::~AppendFile()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    waiting_.notify_one();
    if (writer_.joinable())
        writer_.join();
    if (file_)
        std::fclose(file_);
}

void AppendFile::Fail(std::string problem)
{
    failed_ = true;
    problem_ = std::move(problem);
}

void AppendFile::Append(std::string_view text)
{
    {
        std::lock_guard lock(mutex_);
        if (failed_)
            return;
        if (queued_.size() + text.size() > QUEUE_LIMIT) {
            if (!leftOut_)
                problem_ = "Writing " + path_ + " cannot keep up: some of what arrived is left out of it.";
            leftOut_ = true;
            return;
        }
        queued_ += text;
    }
    waiting_.notify_one();
}

std::optional<std::string> AppendFile::TakeProblem()
{
    std::lock_guard lock(mutex_);
    return std::exchange(problem_, std::nullopt);
}

void AppendFile::Write()
{
    std::string writing;
    std::unique_lock lock(mutex_);
    for (;;) {
        waiting_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
        if (queued_.empty())
            return; // stopping, and everything is written
        writing.swap(queued_);
        lock.unlock();
        const bool written = std::fwrite(writing.data(), 1, writing.size(), file_) == writing.size() &&
                             std::fflush(file_) == 0;
        const int error = errno;
        writing.clear();
        lock.lock();
        if (!written) {
            Fail("Writing " + path_ + " failed (" + std::strerror(error) +
                 "); the program goes on without it.");
            queued_.clear();
            return;
        }
    }
}
