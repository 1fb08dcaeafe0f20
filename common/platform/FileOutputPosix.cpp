#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include "common/FileOutput.h"

namespace FileOutput {

void KeepBrokenPipesFromEndingTheProgram()
{
    // The signal goes to the thread that wrote; blocked here, the write
    // fails with EPIPE and the signal dies with the thread.
    sigset_t broken;
    sigemptyset(&broken);
    sigaddset(&broken, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &broken, nullptr);
}

Handle Open(const std::filesystem::path& path, int& error)
{
    int file = -1;
    do
        file = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    while (file < 0 && errno == EINTR);
    error = file < 0 ? errno : 0;
    return file;
}

std::ptrdiff_t Write(Handle file, const char* bytes, std::size_t size, int& error)
{
    ssize_t written = -1;
    do
        written = ::write(static_cast<int>(file), bytes, size);
    while (written < 0 && errno == EINTR);
    error = written < 0 ? errno : 0;
    return written;
}

void Close(Handle file)
{
    ::close(static_cast<int>(file));
}

} // namespace FileOutput
