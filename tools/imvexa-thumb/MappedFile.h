#pragma once
// A file's bytes mapped read-only into memory for as long as the object
// lives: the decoders read the page cache directly, without copying the
// file into a buffer first.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace imvexa {

class MappedFile {
public:
    // EFOpenError when the file cannot be opened, EReadError when it cannot
    // be mapped.
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::span<const std::uint8_t> Bytes() const { return {data_, size_}; }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace imvexa
