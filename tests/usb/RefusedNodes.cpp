#include "tests/usb/RefusedNodes.h"

#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <set>

// The test executable exports these, so libusb's open() reaches them before
// umockdev's; anything not refused goes on to umockdev.

namespace {

std::mutex refusedMutex;
std::set<std::string> refused;

bool IsRefused(const char* path)
{
    std::lock_guard lock(refusedMutex);
    return path && refused.count(path) > 0;
}

template <typename Function> Function Next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

void RefuseNode(const std::string& path)
{
    std::lock_guard lock(refusedMutex);
    refused.insert(path);
}

void ClearRefusedNodes()
{
    std::lock_guard lock(refusedMutex);
    refused.clear();
}

extern "C" int open(const char* path, int flags, ...)
{
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    if (IsRefused(path)) {
        errno = EACCES;
        return -1;
    }
    static auto next = Next<int (*)(const char*, int, ...)>("open");
    return next(path, flags, mode);
}

extern "C" int __open_2(const char* path, int flags)
{
    if (IsRefused(path)) {
        errno = EACCES;
        return -1;
    }
    static auto next = Next<int (*)(const char*, int)>("__open_2");
    return next(path, flags);
}
