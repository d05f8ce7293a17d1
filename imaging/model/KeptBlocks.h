#pragma once
// Large blocks of work memory kept from one picture for the next. A large
// block freed and allocated again is a fresh mapping from the system with a
// page fault for each of its pages (Windows' heap maps every block of about
// half a megabyte and more on its own), which on a virtual machine can cost
// more than the decoding; a kept block has its pages already. Blocks are
// taken and given back without a lock, so that threads decoding at once
// never wait for one another here.
#include <array>
#include <atomic>
#include <cstddef>
#include <new>

namespace imvexa {

// The usual limits: smaller blocks (a few rows, tables) cost the heap little,
// and the largest a picture within the pixel limits needs fit the bytes kept.
inline constexpr std::size_t kSmallestKeptBlock = std::size_t{64} << 10;
inline constexpr std::size_t kKeptBlockBytes = std::size_t{32} << 20;

class TKeptBlocks {
public:
    static constexpr std::size_t kSlots = 8;

    // Keeps at most kSlots blocks, each of smallest bytes or more, and at
    // most maxBytes in all.
    constexpr TKeptBlocks(std::size_t smallest = kSmallestKeptBlock, std::size_t maxBytes = kKeptBlockBytes)
        : smallest_(smallest), maxBytes_(maxBytes) {}
    // Frees the blocks kept.
    ~TKeptBlocks();
    TKeptBlocks(const TKeptBlocks&) = delete;
    TKeptBlocks& operator=(const TKeptBlocks&) = delete;

    // A block of at least size bytes: a kept one of at most twice that size,
    // else a new one; null when the heap has none.
    void* Take(std::size_t size) noexcept;
    // Keeps a block from Take while the limits allow, else frees it; null is
    // ignored.
    void GiveBack(void* block) noexcept;

    // The bytes held by kept blocks now.
    std::size_t KeptBytes() const noexcept { return keptBytes_.load(); }

private:
    struct Header {
        std::size_t capacity;
    };

    static Header* HeaderOf(void* block) noexcept;
    static void Free(Header* header) noexcept;
    // Puts header into an empty slot, already counted in keptBytes_; false
    // when every slot is taken.
    bool Shelve(Header* header) noexcept;
    // Shelves header, already counted; else discards it.
    void ShelveOrFree(Header* header) noexcept;
    // Uncounts and frees header.
    void Discard(Header* header) noexcept;

    std::array<std::atomic<Header*>, kSlots> slots_{};
    // Each slot's capacity as last shelved: a hint, checked once a block is
    // taken, that spares taking blocks that cannot serve.
    std::array<std::atomic<std::size_t>, kSlots> capacities_{};
    std::atomic<std::size_t> keptBytes_{0};
    std::size_t smallest_, maxBytes_;
};

// A container allocator over the kept blocks that Blocks() names, for a
// decoder's large work buffers.
template <class T, TKeptBlocks& (*Blocks)()>
struct TKeptAllocator {
    using value_type = T;
    template <class U>
    struct rebind {
        using other = TKeptAllocator<U, Blocks>;
    };
    TKeptAllocator() = default;
    template <class U>
    TKeptAllocator(const TKeptAllocator<U, Blocks>&) noexcept {}

    T* allocate(std::size_t count) {
        void* block = Blocks().Take(count * sizeof(T));
        if (!block) throw std::bad_alloc();
        return static_cast<T*>(block);
    }
    void deallocate(T* block, std::size_t) noexcept { Blocks().GiveBack(block); }
    friend bool operator==(const TKeptAllocator&, const TKeptAllocator&) noexcept { return true; }
};

}  // namespace imvexa
