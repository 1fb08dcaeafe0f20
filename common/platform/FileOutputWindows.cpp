#include <windows.h>

#include "common/FileOutput.h"

namespace FileOutput {

void KeepBrokenPipesFromEndingTheProgram()
{
    // A broken pipe is an error code here, never a signal.
}

Handle Open(const std::filesystem::path& path, int& error)
{
    // The wide path as the user gave it; a named pipe opens once its server listens.
    const HANDLE file =
        CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    error = file == INVALID_HANDLE_VALUE ? static_cast<int>(::GetLastError()) : 0;
    return file == INVALID_HANDLE_VALUE ? NO_FILE : reinterpret_cast<Handle>(file);
}

std::ptrdiff_t Write(Handle file, const char* bytes, std::size_t size, int& error)
{
    DWORD written = 0;
    const DWORD asked = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!WriteFile(reinterpret_cast<HANDLE>(file), bytes, asked, &written, nullptr)) {
        error = static_cast<int>(::GetLastError());
        return -1;
    }
    error = 0;
    return static_cast<std::ptrdiff_t>(written);
}

void Close(Handle file)
{
    CloseHandle(reinterpret_cast<HANDLE>(file));
}

} // namespace FileOutput
