#include "common/AppendFile.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <utility>

#include "common/FileOutput.h"

namespace {

// Bytes written at a time.
constexpr std::size_t CHUNK = 64 << 10;

std::string PathText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string ErrorText(int error)
{
    return std::system_category().message(error);
}

} // namespace

struct AppendFile::Writer {
    Writer(std::filesystem::path path, std::function<void()> problemArrived)
        : path(std::move(path)), shown(PathText(this->path)), problemArrived(std::move(problemArrived))
    {
    }

    void Run();
    bool WriteAll(FileOutput::Handle file, const std::string& bytes, std::unique_lock<std::mutex>& lock);
    void Fail(std::string what);
    void Queue(std::string_view stamp, std::string_view separator, std::string_view text);
    // The line that marks the lines left out since the last one written.
    std::string GapMark() const;

    const std::filesystem::path path;
    const std::string shown;
    std::mutex mutex;
    std::condition_variable wake;  // something to write, or the end
    std::condition_variable ended; // the writer is done
    std::function<void()> problemArrived;
    std::string queued;
    std::optional<std::string> problem;
    bool failed = false;
    bool stopping = false;
    bool finished = false;
    bool toldLeftOut = false;
    std::size_t leftOutLines = 0;
    std::string firstLeftOut;
    std::string lastLeftOut;
};

void AppendFile::Writer::Fail(std::string what)
{
    failed = true;
    problem = std::move(what);
    queued.clear();
    if (problemArrived)
        problemArrived();
}

std::string AppendFile::Writer::GapMark() const
{
    if (leftOutLines == 0)
        return {};
    auto trimmed = [](const std::string& stamp) {
        return stamp.substr(std::min(stamp.find_first_not_of(' '), stamp.size()));
    };
    return firstLeftOut + "\tdropped\t" + std::to_string(leftOutLines) + " lines between " +
           trimmed(firstLeftOut) + " and " + trimmed(lastLeftOut) + "\n";
}

void AppendFile::Writer::Queue(std::string_view stamp, std::string_view separator, std::string_view text)
{
    std::string line;
    line.reserve(stamp.size() + separator.size() + text.size() + 1);
    line.append(stamp).append(separator).append(text) += '\n';
    {
        std::lock_guard lock(mutex);
        if (failed)
            return;
        // The mark of a gap goes in with the first line after it.
        const std::string gap = GapMark();
        if (queued.size() + gap.size() + line.size() > QUEUE_LIMIT) {
            if (leftOutLines++ == 0)
                firstLeftOut = stamp;
            lastLeftOut = stamp;
            if (!toldLeftOut)
                problem = "Writing " + shown +
                          " cannot keep up: some lines are left out of it, and the file marks where.";
            toldLeftOut = true;
            return;
        }
        queued += gap;
        queued += line;
        leftOutLines = 0;
    }
    wake.notify_one();
}

bool AppendFile::Writer::WriteAll(FileOutput::Handle file, const std::string& bytes,
                                  std::unique_lock<std::mutex>& lock)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        lock.unlock();
        int error = 0;
        const std::ptrdiff_t count =
            FileOutput::Write(file, bytes.data() + done, std::min(CHUNK, bytes.size() - done), error);
        lock.lock();
        if (count <= 0) {
            Fail("Writing " + shown + " failed (" + ErrorText(error) + "); the program goes on without it.");
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

void AppendFile::Writer::Run()
{
    FileOutput::KeepBrokenPipesFromEndingTheProgram();
    int error = 0;
    const FileOutput::Handle file = FileOutput::Open(path, error);
    std::unique_lock lock(mutex);
    if (file == FileOutput::NO_FILE) {
        Fail("The file " + shown + " cannot be opened for appending (" + ErrorText(error) +
             "); the program goes on without it.");
    } else {
        std::string writing;
        for (;;) {
            wake.wait(lock, [this] { return stopping || !queued.empty(); });
            if (queued.empty())
                break; // stopping, and everything is written
            writing.swap(queued);
            if (!WriteAll(file, writing, lock))
                break;
            writing.clear();
        }
        lock.unlock();
        FileOutput::Close(file);
        lock.lock();
    }
    finished = true;
    ended.notify_all();
}

AppendFile::AppendFile(std::filesystem::path path, std::function<void()> problemArrived)
    : writer_(std::make_shared<Writer>(std::move(path), std::move(problemArrived))),
      thread_([writer = writer_] { writer->Run(); })
{
}

void AppendFile::Finish()
{
    Writer& writer = *writer_;
    std::lock_guard lock(writer.mutex);
    if (writer.stopping)
        return;
    if (!writer.failed)
        writer.queued += writer.GapMark();
    writer.stopping = true;
    endBy_ = std::chrono::steady_clock::now() + EXIT_WAIT;
    writer.wake.notify_one();
}

bool AppendFile::Failed() const
{
    std::lock_guard lock(writer_->mutex);
    return writer_->failed;
}

bool AppendFile::Finished() const
{
    std::lock_guard lock(writer_->mutex);
    return writer_->finished;
}

AppendFile::~AppendFile()
{
    Finish();
    Writer& writer = *writer_;
    std::unique_lock lock(writer.mutex);
    writer.problemArrived = nullptr;
    // The end waits without bound for nothing: a writer on a slow disk, or
    // one that makes no progress at all (a FIFO nobody opens, a pipe nobody
    // reads), is left with what it has not written.
    const bool finished = writer.ended.wait_until(lock, endBy_, [&writer] { return writer.finished; });
    lock.unlock();
    if (finished)
        thread_.join();
    else
        thread_.detach(); // it holds its own share of what it needs
}

void AppendFile::Line(std::string_view stamp, std::string_view text)
{
    writer_->Queue(stamp, " ", text);
}

void AppendFile::Mark(std::string_view stamp, std::string_view kind, std::string_view text)
{
    std::string separator = "\t";
    separator.append(kind) += '\t';
    writer_->Queue(stamp, separator, text);
}

std::optional<std::string> AppendFile::TakeProblem()
{
    std::lock_guard lock(writer_->mutex);
    return std::exchange(writer_->problem, std::nullopt);
}
