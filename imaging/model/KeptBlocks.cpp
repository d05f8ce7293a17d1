#include "KeptBlocks.h"

#include <cstdlib>
#include <limits>

namespace imvexa {

namespace {

// The header stays in front of the caller's bytes, which keep the heap's
// alignment.
constexpr std::size_t kHeaderBytes = 16;

bool Serves(std::size_t capacity, std::size_t size) { return capacity >= size && capacity / 2 <= size; }

}  // namespace

TKeptBlocks::~TKeptBlocks() {
    for (auto& slot : slots_) Free(slot.exchange(nullptr));
}

TKeptBlocks::Header* TKeptBlocks::HeaderOf(void* block) noexcept {
    return reinterpret_cast<Header*>(static_cast<unsigned char*>(block) - kHeaderBytes);
}

void TKeptBlocks::Free(Header* header) noexcept { std::free(header); }

void* TKeptBlocks::Take(std::size_t size) noexcept {
    if (size >= smallest_)
        for (std::size_t i = 0; i < kSlots; ++i) {
            if (!Serves(capacities_[i].load(std::memory_order_relaxed), size)) continue;
            Header* kept = slots_[i].exchange(nullptr, std::memory_order_acquire);
            if (!kept) continue;
            if (Serves(kept->capacity, size)) {
                keptBytes_ -= kept->capacity;
                return reinterpret_cast<unsigned char*>(kept) + kHeaderBytes;
            }
            ShelveOrFree(kept);
        }
    if (size > std::numeric_limits<std::size_t>::max() - kHeaderBytes) return nullptr;
    auto* fresh = static_cast<Header*>(std::malloc(kHeaderBytes + size));
    if (!fresh) return nullptr;
    fresh->capacity = size;
    return reinterpret_cast<unsigned char*>(fresh) + kHeaderBytes;
}

void TKeptBlocks::GiveBack(void* block) noexcept {
    if (!block) return;
    Header* header = HeaderOf(block);
    const std::size_t capacity = header->capacity;
    if (capacity < smallest_ || capacity > maxBytes_) return Free(header);
    if (keptBytes_.fetch_add(capacity) + capacity > maxBytes_) return Discard(header);
    ShelveOrFree(header);
}

bool TKeptBlocks::Shelve(Header* header) noexcept {
    for (std::size_t i = 0; i < kSlots; ++i) {
        Header* empty = nullptr;
        if (slots_[i].load(std::memory_order_relaxed)) continue;
        capacities_[i].store(header->capacity, std::memory_order_relaxed);
        if (slots_[i].compare_exchange_strong(empty, header, std::memory_order_release)) return true;
    }
    return false;
}

void TKeptBlocks::ShelveOrFree(Header* header) noexcept {
    if (!Shelve(header)) Discard(header);
}

void TKeptBlocks::Discard(Header* header) noexcept {
    keptBytes_ -= header->capacity;
    Free(header);
}

}  // namespace imvexa
