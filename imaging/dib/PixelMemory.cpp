#include "PixelMemory.h"

#include <cstring>

#include "KeptBlocks.h"
#include "PixelLimits.h"
#include "ZdDIBErrors.h"
#include "ZdDIBPlatform.h"

namespace imvexa {

namespace {

// Heap blocks of a picture's size (an expanded RLE picture, a conversion's
// result) are kept for the next picture, at the usual limits: a fresh one
// costs a page fault per page.
TKeptBlocks keptPixelBlocks;

}  // namespace

PixelMemory GetMemory(std::int64_t size, bool useMapping) {
    ZDDIB_ASSERT(size > 0 && size <= kMaxPixelBytes, "GetMemory: Invalid Size");
    if (useMapping) return MapPixelMemory(static_cast<std::size_t>(size));
    auto* bits = static_cast<std::uint8_t*>(keptPixelBlocks.Take(static_cast<std::size_t>(size)));
    if (bits == nullptr) throw EOutOfMemory("GetMemory: Out of memory");
    std::memset(bits, 0, static_cast<std::size_t>(size));
    return PixelMemory{nullptr, bits};
}

void ReleaseMemory(void* mapHandle, std::uint8_t* bits, std::int64_t size) noexcept {
    if (mapHandle != nullptr)
        UnmapPixelMemory(mapHandle, bits, static_cast<std::size_t>(size));
    else
        keptPixelBlocks.GiveBack(bits);
}

PixelBlock::PixelBlock(std::int64_t size, bool useMapping) : memory_(GetMemory(size, useMapping)), size_(size) {}

PixelBlock::~PixelBlock() {
    ReleaseMemory(memory_.MapHandle, memory_.Bits, size_);
}

void PixelBlock::HandTo(TZdDIBInfo& info) {
    info.Bits = memory_.Bits;
    info.MapHandle = memory_.MapHandle;
    info.BitsSize = static_cast<std::int32_t>(size_);
    memory_ = PixelMemory{};
}

}  // namespace imvexa
