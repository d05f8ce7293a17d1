// Shared-memory pixel blocks as page-file-backed file mappings, so that a GDI
// DIB section can be opened over the same memory.
#include <windows.h>

#include "ZdDIBPlatform.h"
#include "RuntimeErrors.h"

namespace imvexa {

PixelMemory MapPixelMemory(std::size_t size) {
    const auto size64 = static_cast<std::uint64_t>(size);
    HANDLE mapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                          static_cast<DWORD>(size64 >> 32), static_cast<DWORD>(size64), nullptr);
    if (mapping == nullptr) throw EOutOfResources("GetMemory: Cannot Make File Mapping Object");
    void* view = ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
    if (view == nullptr) {
        ::CloseHandle(mapping);
        throw EOutOfResources("GetMemory: Cannot Make View of File Map");
    }
    return PixelMemory{mapping, static_cast<std::uint8_t*>(view)};
}

void UnmapPixelMemory(void* mapHandle, std::uint8_t* bits, std::size_t) noexcept {
    ::UnmapViewOfFile(bits);
    ::CloseHandle(mapHandle);
}

}  // namespace imvexa
