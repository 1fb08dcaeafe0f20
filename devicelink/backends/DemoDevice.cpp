#include "devicelink/backends/DemoDevice.h"

#include <algorithm>
#include <cctype>

#include "common/Sleep.h"

bool DemoDevice::Selects(const std::string& deviceId) const
{
    return IsDemoIdentifier(deviceId);
}

bool IsDemoIdentifier(const std::string& deviceId)
{
    const std::string word = TrimmedSpaces(deviceId);
    return word.size() == 4 && std::equal(word.begin(), word.end(), "demo", [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

std::int32_t DemoDevice::MPUSBGetDeviceCount(const std::string& deviceId)
{
    ReturnWhenDue();
    return plugged_ && Selects(deviceId) ? 1 : 0;
}

PipeHandle DemoDevice::MPUSBOpen(std::int32_t instance, const std::string& deviceId,
                                 const std::string& endpoint, std::int32_t direction,
                                 std::int32_t /*reserved*/)
{
    ReturnWhenDue();
    if (!plugged_ || instance != 0 || !Selects(deviceId)) {
        lastError_.code = ErrorCode::DeviceNotConnected;
        return INVALID_PIPE;
    }
    if (endpoint != "\\MCHP_EP1" || (direction != DIRECTION_WRITE && direction != DIRECTION_READ)) {
        lastError_.code = ErrorCode::GenFailure;
        return INVALID_PIPE;
    }
    if (pipes_.empty())
        firmware_.Clear(); // a fresh session with the firmware
    PipeHandle pipe = nextHandle_++;
    pipes_[pipe] = {direction, generation_};
    return pipe;
}

std::optional<std::int32_t> DemoDevice::CheckPipe(PipeHandle pipe, std::int32_t direction)
{
    auto found = pipes_.find(pipe);
    if (found == pipes_.end() || found->second.direction != direction)
        return lastError_.Fail(ErrorCode::InvalidHandle);
    ReturnWhenDue();
    if (!plugged_ || found->second.generation != generation_)
        return lastError_.Fail(ErrorCode::DeviceNotConnected);
    return std::nullopt;
}

std::int32_t DemoDevice::MPUSBWrite(PipeHandle pipe, const std::uint8_t* data, std::int32_t length,
                                    std::int32_t* sentLength, std::int32_t timeoutMs)
{
    if (auto failed = CheckPipe(pipe, DIRECTION_WRITE))
        return *failed;
    if (nextWriteError_) {
        std::uint32_t code = *nextWriteError_;
        nextWriteError_.reset();
        if (code == ErrorCode::Timeout)
            Sleep(static_cast<std::uint32_t>(std::max(timeoutMs, 0)));
        return lastError_.Fail(code);
    }
    std::size_t size = data ? static_cast<std::size_t>(std::max(length, 0)) : 0;
    firmware_.Receive(data, size);
    if (sentLength)
        *sentLength = static_cast<std::int32_t>(size);
    return 1;
}

std::int32_t DemoDevice::MPUSBRead(PipeHandle pipe, std::uint8_t* data, std::int32_t length,
                                   std::int32_t* receivedLength, std::int32_t timeoutMs)
{
    if (auto failed = CheckPipe(pipe, DIRECTION_READ))
        return *failed;
    if (!firmware_.NextPacket(packet_)) {
        // Nothing to send: wait as a device would, then time out.
        Sleep(static_cast<std::uint32_t>(std::max(timeoutMs, 0)));
        return lastError_.Fail(ErrorCode::Timeout);
    }
    // A packet larger than the caller's buffer is cut, as a short read would be.
    std::size_t size = std::min(packet_.size(), static_cast<std::size_t>(std::max(length, 0)));
    if (data)
        std::copy_n(packet_.begin(), size, data);
    if (receivedLength)
        *receivedLength = static_cast<std::int32_t>(size);
    if (firmware_.ResetDue())
        Leave();
    return 1;
}

std::int32_t DemoDevice::MPUSBClose(PipeHandle pipe)
{
    if (pipes_.erase(pipe) == 0)
        return lastError_.Fail(ErrorCode::InvalidHandle);
    return 1;
}

std::vector<AttachedDevice> DemoDevice::Attached()
{
    ReturnWhenDue();
    if (!plugged_)
        return {};
    return {AttachedDevice{"demo", "Pellmark", "Demo device", "", "", ""}};
}

void DemoDevice::Unplug()
{
    plugged_ = false;
    firmware_.Clear();
}

void DemoDevice::Leave()
{
    Unplug();
    ++generation_;
    returnsAt_ = std::chrono::steady_clock::now() + RESET_ABSENCE;
}

void DemoDevice::ReturnWhenDue()
{
    if (returnsAt_ && std::chrono::steady_clock::now() >= *returnsAt_) {
        returnsAt_.reset();
        plugged_ = true;
    }
}
