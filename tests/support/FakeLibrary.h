#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "devicelink/MessageSink.h"
#include "devicelink/UsbLibrary.h"

// A USB library that records what it is asked and answers as a test scripts it.
class FakeLibrary final : public UsbLibrary {
public:
    struct Read {
        std::int32_t result;
        std::vector<std::uint8_t> bytes;
        std::optional<std::int32_t> reportedLength; // what the call claims it stored, if anything
    };

    // Queues a successful read of these bytes.
    void QueueRead(const std::string& bytes);

    std::int32_t MPUSBGetDeviceCount(const std::string& deviceId) override;
    PipeHandle MPUSBOpen(std::int32_t instance, const std::string& deviceId, const std::string& endpoint,
                         std::int32_t direction, std::int32_t reserved) override;
    std::int32_t MPUSBWrite(PipeHandle pipe, const std::uint8_t* data, std::int32_t length,
                            std::int32_t* sentLength, std::int32_t timeoutMs) override;
    std::int32_t MPUSBRead(PipeHandle pipe, std::uint8_t* data, std::int32_t length,
                           std::int32_t* receivedLength, std::int32_t timeoutMs) override;
    std::int32_t MPUSBClose(PipeHandle pipe) override;
    std::uint32_t GetLastError() override;

    // Every call but reads, in order, e.g. "MPUSBOpen(0,demo,\MCHP_EP1,1,0)".
    std::vector<std::string> calls;
    // Reads as "handle,length,timeout".
    std::vector<std::string> readCalls;
    std::vector<std::vector<std::uint8_t>> written;

    std::int32_t deviceCount = 1;
    PipeHandle openResults[2] = {3, 4}; // by direction
    std::int32_t writeResult = 1;
    std::vector<std::uint32_t> lastErrors = {0}; // one per GetLastError call, the last repeats
    std::deque<Read> reads;                      // an empty queue times out
    std::function<void()> onRead;                // runs at every read

private:
    std::size_t lastErrorCalls_ = 0;
};

// Records messages instead of showing boxes.
class RecordedMessages final : public MessageSink {
public:
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};
