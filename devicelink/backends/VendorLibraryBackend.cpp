#include "devicelink/backends/VendorLibraryBackend.h"

#include <windows.h>

#include "devicelink/MessageSink.h"
#include "devicelink/backends/DemoDevice.h"

namespace {

constexpr const wchar_t* LIBRARY = L"mpusbapi.dll";

// The calls as the library exports them: 32-bit integers, 8-bit texts.
using CountCall = std::int32_t (*)(const char* deviceId);
using OpenCall = std::int32_t (*)(std::int32_t instance, const char* deviceId, const char* endpoint,
                                  std::int32_t direction, std::int32_t reserved);
using WriteCall = std::int32_t (*)(std::int32_t pipe, const void* data, std::int32_t length,
                                   std::int32_t* sentLength, std::int32_t timeoutMs);
using ReadCall = std::int32_t (*)(std::int32_t pipe, void* data, std::int32_t length,
                                  std::int32_t* receivedLength, std::int32_t timeoutMs);
using CloseCall = std::int32_t (*)(std::int32_t pipe);

std::filesystem::path SystemFolder()
{
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::filesystem::path(path) : std::filesystem::path();
}

std::string Shown(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path ProgramFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size())
        path.resize(path.size() * 2);
    path.resize(length);
    return std::filesystem::path(path).parent_path();
}

template <typename Call> Call Find(HMODULE module, const char* name)
{
    FARPROC found = GetProcAddress(module, name);
    if (!found)
        found = GetProcAddress(module, (std::string("_") + name).c_str());
    return reinterpret_cast<Call>(reinterpret_cast<void*>(found));
}

} // namespace

struct VendorLibraryBackend::Calls {
    CountCall count;
    OpenCall open;
    WriteCall write;
    ReadCall read;
    CloseCall close;
};

VendorLibraryBackend::VendorLibraryBackend(MessageSink& messages, std::filesystem::path folder)
    : messages_(messages), folder_(std::filesystem::absolute(folder.empty() ? ProgramFolder() : folder))
{
}

VendorLibraryBackend::~VendorLibraryBackend()
{
    delete calls_;
    if (module_)
        FreeLibrary(static_cast<HMODULE>(module_));
}

bool VendorLibraryBackend::Selects(const std::string& deviceId) const
{
    return !IsDemoIdentifier(deviceId);
}

bool VendorLibraryBackend::Available()
{
    if (tried_)
        return calls_ != nullptr;
    tried_ = true;
    // Each place by its full path, the library's own dependencies from its
    // folder and the system's only: never PATH, never the current folder.
    const std::filesystem::path places[] = {folder_ / LIBRARY, SystemFolder() / LIBRARY};
    HMODULE module = nullptr;
    std::filesystem::path loaded;
    for (const std::filesystem::path& place : places) {
        module = LoadLibraryExW(place.c_str(), nullptr,
                                LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
        const DWORD error = ::GetLastError();
        if (module) {
            loaded = place;
            break;
        }
        std::error_code ignored;
        if (problem_.empty() && std::filesystem::exists(place, ignored))
            problem_ = "The USB library " + Shown(place) + " is there but could not be loaded: " +
                       (error == ERROR_BAD_EXE_FORMAT
                            ? "it is not a " + std::to_string(sizeof(void*) * 8) + "-bit library"
                        : error == ERROR_MOD_NOT_FOUND ? "a library it needs is missing"
                                                       : "error " + std::to_string(error)) +
                       ". No device can be opened without it.";
    }
    module_ = module;
    if (!module) {
        if (problem_.empty())
            problem_ = "The USB library mpusbapi.dll could not be loaded: it was looked for in " +
                       Shown(folder_) + " and in " + Shown(SystemFolder()) +
                       ". No device can be opened without it.";
        return false;
    }
    Calls found{Find<CountCall>(module, "MPUSBGetDeviceCount"), Find<OpenCall>(module, "MPUSBOpen"),
                Find<WriteCall>(module, "MPUSBWrite"), Find<ReadCall>(module, "MPUSBRead"),
                Find<CloseCall>(module, "MPUSBClose")};
    if (found.count && found.open && found.write && found.read && found.close)
        calls_ = new Calls(found);
    else
        problem_ = "The USB library " + Shown(loaded) +
                   " lacks one of its calls. No device can be opened without it.";
    return calls_ != nullptr;
}

const VendorLibraryBackend::Calls* VendorLibraryBackend::Library()
{
    if (Available() || told_)
        return calls_;
    told_ = true;
    messages_.ShowMessage(problem_);
    return nullptr;
}

std::int32_t VendorLibraryBackend::MPUSBGetDeviceCount(const std::string& deviceId)
{
    const Calls* library = Library();
    return library ? library->count(deviceId.c_str()) : 0;
}

PipeHandle VendorLibraryBackend::MPUSBOpen(std::int32_t instance, const std::string& deviceId,
                                           const std::string& endpoint, std::int32_t direction,
                                           std::int32_t reserved)
{
    const Calls* library = Library();
    if (!library) {
        lastError_.code = ERROR_MOD_NOT_FOUND;
        return INVALID_PIPE;
    }
    const PipeHandle pipe = library->open(instance, deviceId.c_str(), endpoint.c_str(), direction, reserved);
    if (pipe == INVALID_PIPE)
        lastError_.code = ::GetLastError();
    return pipe;
}

std::int32_t VendorLibraryBackend::MPUSBWrite(PipeHandle pipe, const std::uint8_t* data, std::int32_t length,
                                              std::int32_t* sentLength, std::int32_t timeoutMs)
{
    const Calls* library = Library();
    if (!library)
        return lastError_.Fail(ErrorCode::InvalidHandle);
    const std::int32_t result = library->write(pipe, data, length, sentLength, timeoutMs);
    if (result != 1)
        lastError_.code = ::GetLastError();
    return result;
}

std::int32_t VendorLibraryBackend::MPUSBRead(PipeHandle pipe, std::uint8_t* data, std::int32_t length,
                                             std::int32_t* receivedLength, std::int32_t timeoutMs)
{
    const Calls* library = Library();
    if (!library)
        return lastError_.Fail(ErrorCode::InvalidHandle);
    const std::int32_t result = library->read(pipe, data, length, receivedLength, timeoutMs);
    if (result == 0)
        lastError_.code = ::GetLastError();
    return result;
}

std::int32_t VendorLibraryBackend::MPUSBClose(PipeHandle pipe)
{
    const Calls* library = Library();
    return library ? library->close(pipe) : 0;
}
