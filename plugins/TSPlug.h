#pragma once
// TSusiePlugIn: the host of the user's Susie plug-ins, external libraries that
// decode further picture formats. Windows only.
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "Bitmap.h"
#include "Stream.h"

namespace imvexa {

// The plug-in exports. Addresses and sizes are pointer-sized, so one set of
// declarations serves the 32-bit contract (stdcall, 32-bit integers) and the
// 64-bit plug-ins (usually *.sph) alike.
using SusieProgressCallback = int(WINAPI*)(int numerator, int denominator, LONG_PTR userValue);
using GetPluginInfoFunction = int(WINAPI*)(int infoNumber, LPSTR buffer, int bufferLength);
using IsSupportedFunction = int(WINAPI*)(LPCSTR fileName, DWORD_PTR data);
using GetPictureFunction = int(WINAPI*)(LPCSTR data, LONG_PTR size, unsigned int flag, HLOCAL* info, HLOCAL* bits,
                                        SusieProgressCallback progress, LONG_PTR userValue);

struct TPlug {
    HMODULE Handle = nullptr;
    std::string Path;
    std::string ApiVersion;
    std::string Info;
    std::string Extensions;  // upper-cased wildcard patterns separated by ";"
    std::string TypeName;
    GetPluginInfoFunction GetPluginInfoProc = nullptr;
    FARPROC GetPictureInfoProc = nullptr;  // looked up, never called
    IsSupportedFunction IsSupportedProc = nullptr;
    GetPictureFunction GetPictureProc = nullptr;
    FARPROC GetPreviewProc = nullptr;  // looked up, never called
};

class TSusiePlugIn {
public:
    using WorkingEvent = std::function<void(TSusiePlugIn& sender, int numerator, int denominator)>;

    TSusiePlugIn();
    ~TSusiePlugIn();
    TSusiePlugIn(const TSusiePlugIn&) = delete;
    TSusiePlugIn& operator=(const TSusiePlugIn&) = delete;

    // Loads every plug-in file matching the path or wildcard pattern; returns
    // how many this call accepted.
    int LoadPlugIns(const std::string& pathOrMask);
    void UnloadPlugIns();
    // UnloadPlugIns for code that runs under the loader lock (the module's
    // end in DllMain), where freeing a library is unsafe: each library is
    // freed by a thread of its own once the lock is released.
    void UnloadPlugInsAfterLoaderLock();
    // The record at index (owned by the host), or null out of range.
    const TPlug* GetPlugIn(int index) const;
    int PlugInCount() const;
    // A copy of the record at index; std::out_of_range out of range.
    void CopyPlugIn(int index, TPlug& plug) const;

    // Offers the file to the plug-ins in order; true when one decoded it into
    // bitmap. Raises EFOpenError/EReadError when the file cannot be read.
    bool LoadPictureFromFile(const std::string& path, TBitmap& bitmap);
    // The same for a file the caller has opened, positioned at its start. No
    // plug-in ever sees a path: each gets the file's bytes in memory.
    bool LoadPictureFromOpenFile(TStream& file, TBitmap& bitmap);
    // data must stay readable for a block of size rounded up to 8192 bytes.
    bool LoadPictureFromMemory(const void* data, std::size_t size, TBitmap& bitmap);
    bool LoadPictureFromStream(TMemoryStream& stream, std::size_t size, TBitmap& bitmap);

    bool AutoSusie = false;  // automatic discovery is never used: plug-ins are named in the settings
    std::string Filter = "AllType   [*.*]|*.*|";
    WorkingEvent OnWorking;

private:
    struct LoadedPlugIn;

    bool IsNewPlugInPath(const std::string& path) const;
    std::unique_ptr<LoadedPlugIn> Load(const std::string& path) const;
    bool Decode(LoadedPlugIn& plugIn, const void* data, std::size_t size, TBitmap& bitmap);

    // Decodes share the list; loading and unloading change it.
    mutable std::shared_mutex listLock_;
    std::vector<std::unique_ptr<LoadedPlugIn>> plugIns_;
};

}  // namespace imvexa
