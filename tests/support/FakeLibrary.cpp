#include "tests/support/FakeLibrary.h"

#include <algorithm>

void FakeLibrary::QueueRead(const std::string& bytes)
{
    reads.push_back(
        {1, std::vector<std::uint8_t>(bytes.begin(), bytes.end()), static_cast<std::int32_t>(bytes.size())});
}

std::int32_t FakeLibrary::MPUSBGetDeviceCount(const std::string& deviceId)
{
    calls.push_back("MPUSBGetDeviceCount(" + deviceId + ")");
    return deviceCount;
}

PipeHandle FakeLibrary::MPUSBOpen(std::int32_t instance, const std::string& deviceId,
                                  const std::string& endpoint, std::int32_t direction, std::int32_t reserved)
{
    calls.push_back("MPUSBOpen(" + std::to_string(instance) + "," + deviceId + "," + endpoint + "," +
                    std::to_string(direction) + "," + std::to_string(reserved) + ")");
    return openResults[direction == 0 ? 0 : 1];
}

std::int32_t FakeLibrary::MPUSBWrite(PipeHandle pipe, const std::uint8_t* data, std::int32_t length,
                                     std::int32_t* sentLength, std::int32_t timeoutMs)
{
    calls.push_back("MPUSBWrite(" + std::to_string(pipe) + "," + std::to_string(length) + "," +
                    std::to_string(timeoutMs) + ")");
    written.emplace_back(data, data + length);
    if (sentLength)
        *sentLength = length;
    return writeResult;
}

std::int32_t FakeLibrary::MPUSBRead(PipeHandle pipe, std::uint8_t* data, std::int32_t length,
                                    std::int32_t* receivedLength, std::int32_t timeoutMs)
{
    readCalls.push_back(std::to_string(pipe) + "," + std::to_string(length) + "," +
                        std::to_string(timeoutMs));
    if (onRead)
        onRead();
    if (reads.empty())
        return 0;
    Read read = reads.front();
    reads.pop_front();
    std::copy_n(read.bytes.begin(), std::min<std::size_t>(read.bytes.size(), length), data);
    if (read.reportedLength)
        *receivedLength = *read.reportedLength;
    return read.result;
}

std::int32_t FakeLibrary::MPUSBClose(PipeHandle pipe)
{
    calls.push_back("MPUSBClose(" + std::to_string(pipe) + ")");
    return 1;
}

std::uint32_t FakeLibrary::GetLastError()
{
    calls.push_back("GetLastError");
    return lastErrors[std::min(lastErrorCalls_++, lastErrors.size() - 1)];
}
