#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <thread>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "session/SessionFiles.h"
#include "tests/support/FakeLibrary.h"
#include "tests/support/FileLines.h"

#ifndef _WIN32
namespace {

void Pause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace
#endif

TEST(SessionFiles, LogAppendsEachLineWithItsTimeAndToldProblemsOnce)
{
    TempFolder folder;
    const std::filesystem::path path = folder / "session.log";
    std::ofstream(path, std::ios::binary) << "earlier\n";
    RecordedMessages messages;
    {
        SessionFiles files(path, {}, messages);
        files.LogLine(u"OK");
        files.LogLine(u"ﾃﾞﾓ こんにちは");
        files.LogLine(u"\x9B"
                      "2J C:\\fw\x7F"); // no terminal showing the log takes it for a command
        files.ReportProblems();
    }
    EXPECT_TRUE(messages.shown.empty());
    const std::vector<std::string> lines = LinesOf(path);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "earlier"); // opened for append
    auto text = [](const std::string& line) {
        static const std::regex stamped(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d) (.*)$)");
        std::smatch parts;
        return std::regex_match(line, parts, stamped) ? parts[2].str() : "(not stamped) " + line;
    };
    EXPECT_EQ(text(lines[1]), "OK");
    EXPECT_EQ(text(lines[2]), "ﾃﾞﾓ こんにちは");
    EXPECT_EQ(text(lines[3]), R"(\u009B2J C:\fw\x7F)");
#ifndef _WIN32

    // A folder that is not there, a disk that fills up and a pipe whose reader
    // has gone: one message each, and the program goes on.
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const std::string brokenPipe = "/proc/self/fd/" + std::to_string(pipeEnds[1]);
    SessionFiles missing(folder / "no/such/folder/session.log", "/dev/full", messages);
    SessionFiles broken(brokenPipe, {}, messages);
    broken.LogLine(u"read");
    char first[64];
    ASSERT_GT(read(pipeEnds[0], first, sizeof first), 0); // the writer has opened it
    close(pipeEnds[0]);
    for (int i = 0; i < 100 && messages.shown.size() < 3; ++i) {
        missing.LogLine(u"lost");
        missing.Trace()->Line("0", "lost");
        broken.LogLine(u"lost");
        Pause(20);
        missing.ReportProblems();
        broken.ReportProblems();
    }
    close(pipeEnds[1]);
    ASSERT_EQ(messages.shown.size(), 3u);
    std::sort(messages.shown.begin(), messages.shown.end());
    EXPECT_NE(messages.shown[0].find("no/such/folder/session.log cannot be opened"), std::string::npos);
    EXPECT_NE(messages.shown[1].find("Writing /dev/full failed"), std::string::npos);
    EXPECT_NE(messages.shown[2].find("Writing " + brokenPipe + " failed (Broken pipe)"), std::string::npos);
#endif
}

#ifndef _WIN32 // FIFOs
TEST(SessionFiles, FifoIsOpenedWhenItsReaderComesAndLinesLeftOutAreMarked)
{
    TempFolder folder;
    const std::string fifo = (folder / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string text(990, 'x');
    const std::size_t lineSize = 10 + text.size() + 1; // "T%08zu ", the text, a line feed
    const std::size_t kept = AppendFile::QUEUE_LIMIT / lineSize;
    // Lines left out are marked in the file: with the first line after them,
    // or at its end when none comes.
    for (const bool lineAfter : {true, false}) {
        std::string read;
        std::atomic<std::size_t> readSize = 0;
        std::thread reader;
        {
            AppendFile file(fifo); // returns while nobody reads the FIFO
            char stamp[16];
            for (std::size_t i = 0; i < kept + 100; ++i) {
                std::snprintf(stamp, sizeof stamp, "T%08zu", i);
                file.Line(stamp, text);
                if (i == kept + 50) { // told once for the gap, not for each line left out
                    EXPECT_NE(file.TakeProblem().value_or("").find("cannot keep up"), std::string::npos);
                }
            }
            EXPECT_FALSE(file.TakeProblem());
            reader = std::thread([&] {
                const int in = open(fifo.c_str(), O_RDONLY);
                char buffer[65536];
                for (ssize_t n; (n = ::read(in, buffer, sizeof buffer)) > 0;
                     readSize += static_cast<std::size_t>(n))
                    read.append(buffer, static_cast<std::size_t>(n));
                close(in);
            });
            for (int i = 0; lineAfter && i < 1000 && readSize < kept * lineSize; ++i)
                Pause(5);
            if (lineAfter)
                file.Line("late", "after the gap");
        }
        reader.join();
        const std::vector<std::string> lines = [&] {
            std::vector<std::string> split;
            for (std::size_t start = 0, end; (end = read.find('\n', start)) != std::string::npos;
                 start = end + 1)
                split.push_back(read.substr(start, end - start));
            return split;
        }();
        ASSERT_EQ(lines.size(), kept + 1 + lineAfter);
        char mark[96];
        std::snprintf(mark, sizeof mark, "T%08zu\tdropped\t100 lines between T%08zu and T%08zu", kept, kept,
                      kept + 99);
        EXPECT_EQ(lines[kept], mark);
        if (lineAfter) {
            EXPECT_EQ(lines[kept + 1], "late after the gap");
        }
    }

    // A reader that stops reading holds the end no longer than the stall limit.
    const int idle = open(fifo.c_str(), O_RDWR); // a reader that never reads
    const auto start = std::chrono::steady_clock::now();
    {
        AppendFile file(fifo);
        for (int i = 0; i < 200; ++i)
            file.Line("T", text);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, AppendFile::EXIT_WAIT + std::chrono::seconds(2));
    close(idle); // the writer left behind meets a broken pipe and ends

    // Nor does a log read slowly, with a trace nobody reads: they end together.
    const std::string other = (folder / "other").string();
    ASSERT_EQ(mkfifo(other.c_str(), 0600), 0);
    const int idleToo = open(other.c_str(), O_RDWR);
    std::atomic<bool> stop = false;
    std::thread slow([&] {
        const int in = open(fifo.c_str(), O_RDONLY);
        for (char buffer[4096]; !stop && ::read(in, buffer, sizeof buffer) > 0;)
            Pause(10); // 400 kB a second
        close(in);
    });
    RecordedMessages messages;
    const auto bothStart = std::chrono::steady_clock::now();
    {
        SessionFiles files(fifo, other, messages);
        for (int i = 0; i < 5000; ++i) {
            files.LogLine(std::u16string(990, u'x'));
            files.Trace()->Line("T", text);
        }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - bothStart, AppendFile::EXIT_WAIT + std::chrono::seconds(1));
    stop = true;
    slow.join();
    close(idleToo);
}
#endif
