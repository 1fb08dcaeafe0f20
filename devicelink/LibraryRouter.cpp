#include "devicelink/LibraryRouter.h"

#include <algorithm>

void LibraryRouter::AddBackend(std::unique_ptr<UsbBackend> backend)
{
    backends_.push_back(std::move(backend));
}

UsbBackend* LibraryRouter::BackendFor(const std::string& deviceId) const
{
    for (const auto& backend : backends_)
        if (backend->Selects(deviceId))
            return backend.get();
    return nullptr;
}

const LibraryRouter::Route* LibraryRouter::RouteOf(PipeHandle pipe)
{
    if (pipe < 0 || static_cast<std::size_t>(pipe) >= routes_.size() || !routes_[pipe])
        return nullptr;
    return &*routes_[pipe];
}

std::int32_t LibraryRouter::MPUSBGetDeviceCount(const std::string& deviceId)
{
    UsbBackend* backend = BackendFor(deviceId);
    return backend ? backend->MPUSBGetDeviceCount(deviceId) : 0;
}

PipeHandle LibraryRouter::MPUSBOpen(std::int32_t instance, const std::string& deviceId,
                                    const std::string& endpoint, std::int32_t direction,
                                    std::int32_t reserved)
{
    UsbBackend* backend = BackendFor(deviceId);
    if (!backend) {
        lastError_.code = ErrorCode::DeviceNotConnected;
        return INVALID_PIPE;
    }
    PipeHandle inner = backend->MPUSBOpen(instance, deviceId, endpoint, direction, reserved);
    if (inner < 0) {
        lastError_.code = backend->GetLastError();
        return INVALID_PIPE;
    }
    auto slot = std::find_if(routes_.begin(), routes_.end(), [](const auto& r) { return !r; });
    if (slot == routes_.end())
        slot = routes_.insert(routes_.end(), std::nullopt);
    *slot = Route{backend, inner};
    return static_cast<PipeHandle>(slot - routes_.begin());
}

std::int32_t LibraryRouter::MPUSBWrite(PipeHandle pipe, const std::uint8_t* data, std::int32_t length,
                                       std::int32_t* sentLength, std::int32_t timeoutMs)
{
    const Route* route = RouteOf(pipe);
    if (!route)
        return lastError_.Fail(ErrorCode::InvalidHandle);
    std::int32_t result = route->backend->MPUSBWrite(route->inner, data, length, sentLength, timeoutMs);
    if (result != 1)
        lastError_.code = route->backend->GetLastError();
    return result;
}

std::int32_t LibraryRouter::MPUSBRead(PipeHandle pipe, std::uint8_t* data, std::int32_t length,
                                      std::int32_t* receivedLength, std::int32_t timeoutMs)
{
    const Route* route = RouteOf(pipe);
    if (!route)
        return lastError_.Fail(ErrorCode::InvalidHandle);
    std::int32_t result = route->backend->MPUSBRead(route->inner, data, length, receivedLength, timeoutMs);
    if (result == 0)
        lastError_.code = route->backend->GetLastError();
    return result;
}

std::int32_t LibraryRouter::MPUSBClose(PipeHandle pipe)
{
    const Route* route = RouteOf(pipe);
    if (!route)
        return lastError_.Fail(ErrorCode::InvalidHandle);
    std::int32_t result = route->backend->MPUSBClose(route->inner);
    routes_[pipe].reset();
    return result;
}

std::uint32_t LibraryRouter::GetLastError()
{
    return lastError_.code;
}

std::vector<AttachedDevice> LibraryRouter::Attached()
{
    std::vector<AttachedDevice> all;
    for (const auto& backend : backends_)
        for (AttachedDevice& device : backend->Attached())
            all.push_back(std::move(device));
    return all;
}

std::vector<int> LibraryRouter::WakeDescriptors()
{
    std::vector<int> all;
    for (const auto& backend : backends_)
        for (int descriptor : backend->WakeDescriptors())
            all.push_back(descriptor);
    return all;
}

void LibraryRouter::HandleWakeUps()
{
    for (const auto& backend : backends_)
        backend->HandleWakeUps();
}

std::uint64_t LibraryRouter::Changes() const
{
    std::uint64_t changes = 0;
    for (const auto& backend : backends_)
        changes += backend->Changes();
    return changes;
}
