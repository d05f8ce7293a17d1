#pragma once
// Large byte buffers handed on from one thumbnail to the next. A block freed
// and allocated again costs a fresh mapping from the system and a page fault
// for each of its pages, which on a virtual machine can cost more than the
// decoding; a kept buffer has its pages already. Only a few buffers of
// bounded size are kept, so that an idle Explorer holds little memory it
// does not use; a buffer put back on a full shelf takes the place of smaller
// ones, since a large buffer serves every smaller picture too.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace imvexa {

// At most this many buffers and this many bytes in all are kept.
inline constexpr std::size_t kKeptBuffers = 8;
inline constexpr std::size_t kKeptBytes = std::size_t{32} << 20;

class TRecycledBytes {
public:
    TRecycledBytes() = default;
    // Puts the buffer back, in place of smaller ones if the limits need it,
    // else frees it.
    ~TRecycledBytes();
    TRecycledBytes(const TRecycledBytes&) = delete;
    TRecycledBytes& operator=(const TRecycledBytes&) = delete;

    // Bytes() made an empty buffer with room for capacity bytes: the
    // smallest kept one that has it, or a new one (std::bad_alloc when none
    // can be had). The buffer held before is put back first.
    std::vector<std::uint8_t>& Take(std::size_t capacity);

    std::vector<std::uint8_t>& Bytes() { return bytes_; }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

    // The bytes held by kept buffers now.
    static std::size_t KeptBytes();

private:
    void PutBack() noexcept;

    std::vector<std::uint8_t> bytes_;
};

}  // namespace imvexa
