#pragma once
// Owners of Win32 handles. Each one frees its handle exactly once: when it
// goes out of scope, is reset or is assigned another. They move but do not
// copy, and freeing never throws. A handle given away on purpose (to the
// shell, to another thread) leaves its owner through Release().
#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <utility>

namespace imvexa::win32 {

// A handle freed by Free. Most acquiring calls answer null for no handle;
// files and searches answer INVALID_HANDLE_VALUE, and their owners take that
// as none (InvalidValueIsNone).
template <typename Handle, auto Free, bool InvalidValueIsNone = false>
class Owner {
public:
    Owner() noexcept = default;
    explicit Owner(Handle handle) noexcept : handle_(handle) {}
    ~Owner() { Reset(); }
    Owner(Owner&& other) noexcept : handle_(other.Release()) {}
    Owner& operator=(Owner&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    Handle Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != None(); }

    // The handle, which the caller frees from now on.
    Handle Release() noexcept { return std::exchange(handle_, None()); }
    // Frees the handle held and takes another (or none).
    void Reset(Handle handle = None()) noexcept {
        const Handle previous = std::exchange(handle_, handle);
        if (previous != None()) Free(previous);
    }

private:
    static Handle None() noexcept {
        if constexpr (InvalidValueIsNone)
            return INVALID_HANDLE_VALUE;
        else
            return nullptr;
    }

    Handle handle_ = None();
};

using KernelHandle = Owner<HANDLE, ::CloseHandle>;  // threads, tokens, file mappings
using FileHandle = Owner<HANDLE, ::CloseHandle, true>;
using FindHandle = Owner<HANDLE, ::FindClose, true>;
using FileView = Owner<void*, ::UnmapViewOfFile>;
using Module = Owner<HMODULE, ::FreeLibrary>;
using RegistryKey = Owner<HKEY, ::RegCloseKey>;
using GlobalMemory = Owner<HGLOBAL, ::GlobalFree>;
template <typename Pointer>
using LocalMemory = Owner<Pointer, ::LocalFree>;

template <typename GdiHandle>
using GdiObject = Owner<GdiHandle, ::DeleteObject>;
using Bitmap = GdiObject<HBITMAP>;
using Brush = GdiObject<HBRUSH>;
using Font = GdiObject<HFONT>;
using Palette = GdiObject<HPALETTE>;
using MemoryDC = Owner<HDC, ::DeleteDC>;

// A COM interface pointer, released once.
inline void ReleaseInterface(IUnknown* object) noexcept { object->Release(); }
template <typename Interface>
using ComInterface = Owner<Interface*, ReleaseInterface>;
using Icon = Owner<HICON, ::DestroyIcon>;
using EnhancedMetafile = Owner<HENHMETAFILE, ::DeleteEnhMetaFile>;

// The common DC of a window's client area, or of the screen for no window,
// released to that window.
class ClientDC {
public:
    explicit ClientDC(HWND window = nullptr) noexcept : window_(window), dc_(GetDC(window)) {}
    ~ClientDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    ClientDC(ClientDC&& other) noexcept
        : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
    ClientDC& operator=(ClientDC other) noexcept {
        std::swap(window_, other.window_);
        std::swap(dc_, other.dc_);
        return *this;
    }

    HDC Get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// Selects a palette as a background palette and realizes it.
inline HPALETTE SelectRealizedPalette(HDC dc, HPALETTE palette) noexcept {
    const HPALETTE previous = SelectPalette(dc, palette, TRUE);
    RealizePalette(dc);
    return previous;
}

inline HPALETTE SelectBackgroundPalette(HDC dc, HPALETTE palette) noexcept { return SelectPalette(dc, palette, TRUE); }

// An object selected into a DC for the owner's lifetime: Select puts it in,
// and Restore puts back what the DC had before. A null object selects nothing.
template <typename Object, auto Select, auto Restore = Select>
class Selected {
public:
    Selected() noexcept = default;
    Selected(HDC dc, Object object) noexcept : dc_(dc), previous_(object ? Select(dc, object) : nullptr) {}
    ~Selected() {
        if (previous_) Restore(dc_, previous_);
    }
    Selected(Selected&& other) noexcept : dc_(other.dc_), previous_(std::exchange(other.previous_, nullptr)) {}
    Selected& operator=(Selected other) noexcept {
        std::swap(dc_, other.dc_);
        std::swap(previous_, other.previous_);
        return *this;
    }

private:
    HDC dc_ = nullptr;
    Object previous_ = nullptr;
};

using SelectedObject = Selected<HGDIOBJ, ::SelectObject>;
using SelectedPalette = Selected<HPALETTE, SelectRealizedPalette, SelectBackgroundPalette>;

// The bytes of a global memory block, locked while this lives.
class LockedGlobal {
public:
    explicit LockedGlobal(HGLOBAL memory) noexcept : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
    ~LockedGlobal() {
        if (data_) GlobalUnlock(memory_);
    }
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;

    void* Data() const noexcept { return data_; }
    std::size_t Size() const noexcept { return data_ ? GlobalSize(memory_) : 0; }

private:
    HGLOBAL memory_;
    void* data_;
};

}  // namespace imvexa::win32
