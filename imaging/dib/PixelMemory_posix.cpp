// Shared-memory pixel blocks as anonymous mappings; the mapping's address
// serves as its handle.
#include <sys/mman.h>

#include "ZdDIBPlatform.h"
#include "RuntimeErrors.h"

namespace imvexa {

PixelMemory MapPixelMemory(std::size_t size) {
    void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (view == MAP_FAILED) throw EOutOfResources("GetMemory: Cannot Make File Mapping Object");
    return PixelMemory{view, static_cast<std::uint8_t*>(view)};
}

void UnmapPixelMemory(void*, std::uint8_t* bits, std::size_t size) noexcept {
    ::munmap(bits, size);
}

}  // namespace imvexa
