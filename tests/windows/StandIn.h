#pragma once

#include <windows.h>

#include <filesystem>

// The folder of one variant of the vendor library's stand-in, beside the test program.
inline std::filesystem::path StandIn(const char* variant)
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path() / "standin" / variant;
}

// A scripting call of the stand-in that the backend has loaded.
template <typename Call> Call Control(const char* name)
{
    return reinterpret_cast<Call>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"mpusbapi.dll"), name)));
}
