// A stand-in for the vendor's USB access library, written from the calls'
// contract, that tests script through a few calls of their own: what the
// next reads return, how the next write fails, and what was asked.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#if defined(STANDIN_UNDERSCORED)
#define CALL(name) _##name // as some compilers export C names
#else
#define CALL(name) name
#endif
#define EXPORT extern "C" __declspec(dllexport)

namespace {

struct Read {
    std::vector<std::uint8_t> bytes;
    std::int32_t reported;
    std::int32_t result;
    std::uint32_t error;
};

std::int32_t deviceCount = 1;
std::int32_t nextHandle = 7;
std::deque<Read> reads;
std::uint32_t nextWriteError = 0;
std::vector<std::uint8_t> written;
std::string calls;

} // namespace

EXPORT void StandInScript(std::int32_t count)
{
    deviceCount = count;
}

EXPORT void StandInQueueRead(const std::uint8_t* bytes, std::int32_t length, std::int32_t reported,
                             std::int32_t result, std::uint32_t error)
{
    reads.push_back({std::vector<std::uint8_t>(bytes, bytes + length), reported, result, error});
}

EXPORT void StandInFailNextWrite(std::uint32_t error)
{
    nextWriteError = error;
}

EXPORT std::int32_t StandInWritten(std::uint8_t* copy, std::int32_t size)
{
    const auto length = static_cast<std::int32_t>(written.size());
    std::memcpy(copy, written.data(), static_cast<std::size_t>(std::min(length, size)));
    return length;
}

EXPORT const char* StandInCalls()
{
    return calls.c_str();
}

#if defined(STANDIN_NEEDS_DEPENDENCY)
// From a library that is not beside this one, so that this one cannot load.
extern "C" __declspec(dllimport) std::int32_t StandInDependency();
#endif

EXPORT std::int32_t CALL(MPUSBGetDeviceCount)(const char* deviceId)
{
#if defined(STANDIN_NEEDS_DEPENDENCY)
    deviceCount = StandInDependency();
#endif
    calls += std::string("count ") + deviceId + ";";
    return deviceCount;
}

EXPORT std::int32_t CALL(MPUSBOpen)(std::int32_t instance, const char* deviceId, const char* endpoint,
                                    std::int32_t direction, std::int32_t reserved)
{
    calls += "open " + std::to_string(instance) + " " + deviceId + " " + endpoint + " " +
             std::to_string(direction) + " " + std::to_string(reserved) + ";";
    return nextHandle++;
}

EXPORT std::int32_t CALL(MPUSBWrite)(std::int32_t pipe, const void* data, std::int32_t length,
                                     std::int32_t* sentLength, std::int32_t timeoutMs)
{
    calls += "write " + std::to_string(pipe) + " " + std::to_string(length) + " " +
             std::to_string(timeoutMs) + ";";
    if (nextWriteError != 0) {
        SetLastError(nextWriteError);
        nextWriteError = 0;
        return 0;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    written.assign(bytes, bytes + length);
    *sentLength = length;
    return 1;
}

EXPORT std::int32_t CALL(MPUSBRead)(std::int32_t pipe, void* data, std::int32_t length,
                                    std::int32_t* receivedLength, std::int32_t timeoutMs)
{
    calls +=
        "read " + std::to_string(pipe) + " " + std::to_string(length) + " " + std::to_string(timeoutMs) + ";";
    if (reads.empty()) {
        SetLastError(ERROR_SEM_TIMEOUT);
        return 0;
    }
    Read read = reads.front();
    reads.pop_front();
    std::memcpy(data, read.bytes.data(), std::min(read.bytes.size(), static_cast<std::size_t>(length)));
    *receivedLength = read.reported;
    if (read.result == 0)
        SetLastError(read.error);
    return read.result;
}

#if !defined(STANDIN_WITHOUT_CLOSE)
EXPORT std::int32_t CALL(MPUSBClose)(std::int32_t pipe)
{
    calls += "close " + std::to_string(pipe) + ";";
    return 1;
}
#endif
