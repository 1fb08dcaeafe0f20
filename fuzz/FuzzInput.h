#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Takes values off the front of a fuzzer's input.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return size_ == 0; }
    std::uint8_t Byte()
    {
        if (size_ == 0)
            return 0;
        --size_;
        return *data_++;
    }
    // At most `count` bytes, fewer when the input runs out.
    std::string Bytes(std::size_t count)
    {
        count = count < size_ ? count : size_;
        std::string bytes(reinterpret_cast<const char*>(data_), count);
        data_ += count;
        size_ -= count;
        return bytes;
    }
    std::string Rest() { return Bytes(size_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};
