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
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace imvexa {

// Bytes that a resize leaves as they are instead of zeroing them: a buffer
// about to be overwritten whole (a file read into it) is not written twice.
template <class T>
struct TUnzeroedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = TUnzeroedAllocator<U>;
    };
    TUnzeroedAllocator() = default;
    template <class U>
    TUnzeroedAllocator(const TUnzeroedAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* place) noexcept {
        ::new (static_cast<void*>(place)) U;
    }
    template <class U, class... Args>
    void construct(U* place, Args&&... args) {
        ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
    }
};

using TByteBuffer = std::vector<std::uint8_t, TUnzeroedAllocator<std::uint8_t>>;

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
    TByteBuffer& Take(std::size_t capacity);

    TByteBuffer& Bytes() { return bytes_; }
    const TByteBuffer& Bytes() const { return bytes_; }

    // The bytes held by kept buffers now.
    static std::size_t KeptBytes();

private:
    void PutBack() noexcept;

    TByteBuffer bytes_;
};

}  // namespace imvexa
