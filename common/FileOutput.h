#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

// A file opened for appending through the platform's own calls, for a writer
// thread: opening may wait (a FIFO waits for its reader) and so may a write
// (a full pipe), so the program's thread never calls these. One file per
// platform.
namespace FileOutput {

using Handle = std::intptr_t;
constexpr Handle NO_FILE = -1;

// A write to a pipe whose reader has gone then fails in the calling thread
// instead of ending the program.
void KeepBrokenPipesFromEndingTheProgram();
// Opens exactly the path given, creating it if need be; NO_FILE with the
// platform's error code when it cannot.
Handle Open(const std::filesystem::path& path, int& error);
// Writes some of the bytes; how many, or -1 with the error code.
std::ptrdiff_t Write(Handle file, const char* bytes, std::size_t size, int& error);
void Close(Handle file);

} // namespace FileOutput
