#pragma once

#include <filesystem>
#include <string_view>

// A report file written whole or not at all: into a file beside it, renamed
// into place once complete, so that an earlier file stays whole until then.
// Where renaming cannot replace it (a device such as /dev/stdout), it is
// written in place; a FIFO or a socket, which would hold the writer until a
// reader came, is never written.
class WholeFile {
public:
    explicit WholeFile(const std::filesystem::path& path);
    // Whether it can be written, asked before the run: a file can be made
    // beside it (and is removed again).
    bool CanWrite() const;
    // False when the file could not be written; an earlier one is then left as it was.
    bool Write(std::string_view bytes) const;

private:
    std::filesystem::path path_;    // where it is written: a link's target
    std::filesystem::path partial_; // the file beside it, renamed into place; empty: in place
    bool fifo_ = false;             // a FIFO or a socket: not written
};
