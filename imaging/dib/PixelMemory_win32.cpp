// Shared-memory pixel blocks as page-file-backed file mappings, so that a GDI
// DIB section can be opened over the same memory.
#include <windows.h>

#include "Owners.h"
#include "ZdDIBPlatform.h"
#include "RuntimeErrors.h"

namespace imvexa {

PixelMemory MapPixelMemory(std::size_t size) {
    const auto size64 = static_cast<std::uint64_t>(size);
    win32::KernelHandle mapping(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                                     static_cast<DWORD>(size64 >> 32), static_cast<DWORD>(size64),
                                                     nullptr));
    if (!mapping) throw EOutOfResources("GetMemory: Cannot Make File Mapping Object");
    win32::FileView view(::MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, 0));
    if (!view) throw EOutOfResources("GetMemory: Cannot Make View of File Map");
    // The block's owner unmaps and closes them through UnmapPixelMemory.
    return PixelMemory{mapping.Release(), static_cast<std::uint8_t*>(view.Release())};
}

void UnmapPixelMemory(void* mapHandle, std::uint8_t* bits, std::size_t) noexcept {
    const win32::KernelHandle mapping(mapHandle);
    win32::FileView(bits).Reset();  // the view goes before its mapping
}

}  // namespace imvexa
