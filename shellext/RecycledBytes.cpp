#include "RecycledBytes.h"

#include <algorithm>
#include <array>
#include <mutex>

namespace imvexa {

namespace {

struct Shelf {
    Shelf() { buffers.reserve(kKeptBuffers); }  // putting back never allocates

    std::mutex lock;
    std::vector<TByteBuffer> buffers;
    std::size_t bytes = 0;
};

Shelf& TheShelf() {
    static Shelf shelf;
    return shelf;
}

}  // namespace

TRecycledBytes::~TRecycledBytes() { PutBack(); }

TByteBuffer& TRecycledBytes::Take(std::size_t capacity) {
    PutBack();
    if (capacity == 0) return bytes_;
    {
        Shelf& shelf = TheShelf();
        const std::lock_guard hold(shelf.lock);
        auto best = shelf.buffers.end();
        for (auto kept = shelf.buffers.begin(); kept != shelf.buffers.end(); ++kept)
            if (kept->capacity() >= capacity && (best == shelf.buffers.end() || kept->capacity() < best->capacity()))
                best = kept;
        if (best != shelf.buffers.end()) {
            shelf.bytes -= best->capacity();
            bytes_ = std::move(*best);
            shelf.buffers.erase(best);
        }
    }
    bytes_.reserve(capacity);
    return bytes_;
}

void TRecycledBytes::PutBack() noexcept {
    TByteBuffer buffer;
    buffer.swap(bytes_);
    if (buffer.capacity() == 0) return;
    buffer.clear();
    // Buffers that make room are freed after the lock is let go: giving
    // memory back to the system can take longer than a whole thumbnail.
    std::array<TByteBuffer, kKeptBuffers> displaced;
    Shelf& shelf = TheShelf();
    try {
        const std::lock_guard hold(shelf.lock);
        for (auto& room : displaced) {
            if (shelf.buffers.size() < kKeptBuffers && shelf.bytes + buffer.capacity() <= kKeptBytes) break;
            const auto smallest = std::min_element(
                shelf.buffers.begin(), shelf.buffers.end(),
                [](const auto& a, const auto& b) { return a.capacity() < b.capacity(); });
            if (smallest == shelf.buffers.end() || smallest->capacity() >= buffer.capacity()) return;
            shelf.bytes -= smallest->capacity();
            room = std::move(*smallest);
            shelf.buffers.erase(smallest);
        }
        if (shelf.buffers.size() < kKeptBuffers && shelf.bytes + buffer.capacity() <= kKeptBytes) {
            shelf.bytes += buffer.capacity();
            shelf.buffers.push_back(std::move(buffer));
        }
    } catch (...) {
        // The lock could not be taken: the buffer is freed.
    }
}

std::size_t TRecycledBytes::KeptBytes() {
    Shelf& shelf = TheShelf();
    const std::lock_guard hold(shelf.lock);
    return shelf.bytes;
}

}  // namespace imvexa
