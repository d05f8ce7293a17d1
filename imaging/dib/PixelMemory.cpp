#include "PixelMemory.h"

#include <cstdlib>

#include "PixelLimits.h"
#include "ZdDIBErrors.h"
#include "ZdDIBPlatform.h"

namespace imvexa {

PixelMemory GetMemory(std::int64_t size, bool useMapping) {
    ZDDIB_ASSERT(size > 0 && size <= kMaxPixelBytes, "GetMemory: Invalid Size");
    if (useMapping) return MapPixelMemory(static_cast<std::size_t>(size));
    auto* bits = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(size), 1));
    if (bits == nullptr) throw EOutOfMemory("GetMemory: Out of memory");
    return PixelMemory{nullptr, bits};
}

void ReleaseMemory(void* mapHandle, std::uint8_t* bits, std::int64_t size) noexcept {
    if (mapHandle != nullptr)
        UnmapPixelMemory(mapHandle, bits, static_cast<std::size_t>(size));
    else
        std::free(bits);
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
