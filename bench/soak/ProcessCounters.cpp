#include "ProcessCounters.h"

#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <vector>

#include "ImportRedirect.h"

namespace imvexa::bench {

namespace {

// The record layout of the system's handle table (information class 16).
struct HandleEntry {
    ULONG ownerProcess;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    void* object;
    ULONG access;
};
struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

// This process's entries in the system's handle table.
long CountHandlesInSystemTable() {
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    std::vector<std::uint8_t> buffer(1 << 20);
    LONG status;
    while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), nullptr)) ==
           kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status < 0) return -1;
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    const ULONG self = GetCurrentProcessId();
    long count = 0;
    for (ULONG i = 0; i < table->count; ++i) count += table->entries[i].ownerProcess == self ? 1 : 0;
    return count;
}

// GDI handles carry their table index in the low 16 bits, and Wine accepts
// an index alone: every index that names a live object is one object. This
// does not work on Windows, whose own counter answers there.
long CountGdiObjectsByIndex() {
    long count = 0;
    for (std::uintptr_t index = 1; index <= 0xFFFF; ++index)
        count += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0 ? 1 : 0;
    return count;
}

std::atomic<long> liveIcons{0};
std::atomic<long> iconsMade{0};
decltype(&CreateIconFromResourceEx) realCreateIcon = nullptr;
decltype(&DestroyIcon) realDestroyIcon = nullptr;

HICON WINAPI CountedCreateIcon(PBYTE bits, DWORD size, BOOL icon, DWORD version, int width, int height, UINT flags) {
    const HICON made = realCreateIcon(bits, size, icon, version, width, height, flags);
    if (made) {
        ++liveIcons;
        ++iconsMade;
    }
    return made;
}

BOOL WINAPI CountedDestroyIcon(HICON icon) {
    const BOOL destroyed = realDestroyIcon(icon);
    if (destroyed) --liveIcons;
    return destroyed;
}

// Committed memory that only this process can see: its heaps, stacks and
// private mappings.
std::uint64_t SumCommittedPrivateRegions() {
    std::uint64_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (auto* address = static_cast<std::uint8_t*>(nullptr);
         VirtualQuery(address, &region, sizeof region) == sizeof region; address += region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        if (static_cast<std::uint8_t*>(region.BaseAddress) + region.RegionSize < address) break;
    }
    return total;
}

std::uint64_t PrivateUsage() {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        return 0;
    return memory.PrivateUsage;
}

long SystemHandleCount() {
    DWORD count = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &count) ? static_cast<long>(count) : 0;
}

long GuiResources(DWORD kind) { return static_cast<long>(GetGuiResources(GetCurrentProcess(), kind)); }

}  // namespace

bool CountIcons() {
    realCreateIcon = RedirectImport("CreateIconFromResourceEx", &CountedCreateIcon);
    realDestroyIcon = RedirectImport("DestroyIcon", &CountedDestroyIcon);
    return realCreateIcon && realDestroyIcon;
}

long IconsMade() { return iconsMade; }

ProcessCounters ReadProcessCounters() {
    ProcessCounters counters;
    counters.handles = SystemHandleCount();
    if (counters.handles == 0) counters.handles = CountHandlesInSystemTable();
    counters.gdiObjects = GuiResources(GR_GDIOBJECTS);
    if (counters.gdiObjects == 0) counters.gdiObjects = CountGdiObjectsByIndex();
    counters.userObjects = GuiResources(GR_USEROBJECTS);
    if (counters.userObjects == 0) counters.userObjects = liveIcons;
    counters.privateBytes = PrivateUsage();
    if (counters.privateBytes == 0) counters.privateBytes = SumCommittedPrivateRegions();
    return counters;
}

CounterSources ReadCounterSources() {
    return {SystemHandleCount() ? "GetProcessHandleCount" : "system handle table (GetProcessHandleCount answers 0)",
            GuiResources(GR_GDIOBJECTS) ? "GetGuiResources" : "GDI handle indexes (GetGuiResources answers 0)",
            GuiResources(GR_USEROBJECTS) ? "GetGuiResources" : "icons made - destroyed (GetGuiResources answers 0)",
            PrivateUsage() ? "PrivateUsage" : "committed private regions (PrivateUsage answers 0)"};
}

}  // namespace imvexa::bench
