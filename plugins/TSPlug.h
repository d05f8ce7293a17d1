#pragma once
// TSusiePlugIn: the user's Susie plug-ins, external libraries that decode
// further picture formats. The libraries run in plug-in host programs, never
// in this process: 32-bit plug-ins (*.spi) in the 32-bit host, 64-bit ones
// (*.sph) in the 64-bit host. Windows only.
#include <windows.h>

#include <memory>
#include <shared_mutex>
#include <span>
#include <string>
#include <vector>

#include "Bitmap.h"
#include "PlugInHost_win32.h"
#include "Stream.h"

namespace imvexa {

// A listed plug-in as its host described it.
struct TPlug {
    std::string Path;
    std::string ApiVersion;
    std::string Info;
    std::string Extensions;  // upper-cased wildcard patterns separated by ";"
    std::string TypeName;
};

class TSusiePlugIn {
public:
    // callTimeout: milliseconds one call into a host may take;
    // keptMemoryLimit: the private bytes a host may keep after a call.
    explicit TSusiePlugIn(DWORD callTimeout = kPlugInCallTimeout,
                          std::uint64_t keptMemoryLimit = kPlugInHostKeptMemoryLimit);
    ~TSusiePlugIn();
    TSusiePlugIn(const TSusiePlugIn&) = delete;
    TSusiePlugIn& operator=(const TSusiePlugIn&) = delete;

    // Lists every plug-in file matching the path or wildcard pattern that its
    // host accepts; returns how many this call accepted.
    int LoadPlugIns(const std::string& pathOrMask);
    // Empties the list and ends the hosts, which unloads the libraries.
    void UnloadPlugIns();
    // The record at index (owned by the list), or null out of range.
    const TPlug* GetPlugIn(int index) const;
    int PlugInCount() const;
    // A copy of the record at index; std::out_of_range out of range.
    void CopyPlugIn(int index, TPlug& plug) const;

    // Offers the file to the plug-ins in order; true when one decoded it into
    // bitmap. Raises EFOpenError/EReadError when the file cannot be read.
    bool LoadPictureFromFile(const std::string& path, TBitmap& bitmap);
    // The same for a file's bytes. No plug-in ever sees a path: each gets the
    // bytes in memory. A host that crashes or does not answer in time costs
    // this call: the result is false and the bitmap is untouched.
    bool LoadPictureFromMemory(const void* data, std::size_t size, TBitmap& bitmap);
    bool LoadPictureFromStream(TMemoryStream& stream, std::size_t size, TBitmap& bitmap);

    bool AutoSusie = false;  // automatic discovery is never used: plug-ins are named in the settings
    std::string Filter = "AllType   [*.*]|*.*|";

private:
    struct ListedPlugIn {
        TPlug record;
        PlugInHost* host;
    };

    bool IsNewPlugInPath(const std::string& path) const;
    PlugInHost& HostFor(const std::string& path);
    bool Decode(std::span<const std::uint8_t> file, TBitmap& bitmap);

    std::vector<std::unique_ptr<PlugInHost>> hosts_;  // 32-bit, then (x64 only) 64-bit
    // Decodes share the list; loading and unloading change it.
    mutable std::shared_mutex listLock_;
    std::vector<std::unique_ptr<ListedPlugIn>> plugIns_;
};

}  // namespace imvexa
