#include "session/WholeFile.h"

#include <fstream>

namespace {

bool Save(std::string_view bytes, const std::filesystem::path& path, bool beside)
{
    std::error_code error;
    if (beside) // whatever stands there, a link to another file too, is not written through
        std::filesystem::remove(path, error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close(); // a full disk may show only here
    return !out.fail();
}

} // namespace

WholeFile::WholeFile(const std::filesystem::path& path) : path_(path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    // A link: its target is replaced, the link kept.
    if (std::filesystem::path target = std::filesystem::canonical(path, error); !error)
        path_ = target;
    if (!std::filesystem::exists(status) || std::filesystem::is_regular_file(status))
        (partial_ = path_) += ".partial";
    fifo_ = std::filesystem::is_fifo(status) || std::filesystem::is_socket(status);
}

bool WholeFile::CanWrite() const
{
    std::error_code error;
    if (fifo_ || std::filesystem::is_directory(path_, error))
        return false;
    if (partial_.empty())
        return true;
    std::filesystem::remove(partial_, error);
    const bool made = std::ofstream(partial_, std::ios::binary | std::ios::trunc).is_open();
    std::filesystem::remove(partial_, error);
    return made;
}

bool WholeFile::Write(std::string_view bytes) const
{
    if (fifo_)
        return false;
    if (partial_.empty())
        return Save(bytes, path_, false);
    std::error_code error;
    if (Save(bytes, partial_, true)) {
        std::filesystem::rename(partial_, path_, error);
        if (!error)
            return true;
    }
    std::filesystem::remove(partial_, error);
    return false;
}
