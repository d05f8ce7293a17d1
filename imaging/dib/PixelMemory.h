#pragma once
// Pixel blocks of DIB storages: a shared-memory mapping (what lets a GDI DIB
// section draw straight into the pixels on Windows) or a heap block.
#include <cstdint>

#include "ZdDIBTypes.h"

namespace imvexa {

struct PixelMemory {
    void* MapHandle = nullptr;  // null for a heap block
    std::uint8_t* Bits = nullptr;
};

// A zero-filled block of size bytes (1 to kMaxPixelBytes): a mapping when
// useMapping is set, else a heap block. Raises EOutOfResources when the
// platform refuses a mapping and EOutOfMemory when the heap is exhausted.
PixelMemory GetMemory(std::int64_t size, bool useMapping);
// Releases a block from GetMemory; a null block is ignored.
void ReleaseMemory(void* mapHandle, std::uint8_t* bits, std::int64_t size) noexcept;

// A block from GetMemory that is released on destruction unless it has been
// handed over to an info record.
class PixelBlock {
public:
    PixelBlock(std::int64_t size, bool useMapping);
    ~PixelBlock();
    PixelBlock(const PixelBlock&) = delete;
    PixelBlock& operator=(const PixelBlock&) = delete;

    std::uint8_t* Bits() const { return memory_.Bits; }
    std::int64_t Size() const { return size_; }

    // Puts the block into info (bits, mapping handle, bits size); whoever owns
    // info releases it from then on.
    void HandTo(TZdDIBInfo& info);

private:
    PixelMemory memory_;
    std::int64_t size_;
};

}  // namespace imvexa
