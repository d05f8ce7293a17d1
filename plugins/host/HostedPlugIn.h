#pragma once
// A Susie plug-in library loaded by the plug-in host program, and the calls
// into it. A plug-in that faults or hangs takes the host with it; the DLL
// that started the host notices and answers for the file without it.
#include <windows.h>

#include <array>
#include <memory>
#include <span>
#include <string>

#include "Owners.h"
#include "PlugHostProtocol.h"

namespace imvexa::plughost {

// The exports. Addresses and sizes are pointer-sized, so one set of
// declarations serves the 32-bit contract (stdcall, 32-bit integers) and the
// 64-bit plug-ins alike.
using SusieProgressCallback = int(WINAPI*)(int numerator, int denominator, LONG_PTR userValue);
using GetPluginInfoFunction = int(WINAPI*)(int infoNumber, LPSTR buffer, int bufferLength);
using IsSupportedFunction = int(WINAPI*)(LPCSTR fileName, DWORD_PTR data);
using GetPictureFunction = int(WINAPI*)(LPCSTR data, LONG_PTR size, unsigned int flag, HLOCAL* info, HLOCAL* bits,
                                        SusieProgressCallback progress, LONG_PTR userValue);

// The two blocks of a decoded picture, freed when this goes.
struct PlugInPicture {
    win32::LocalMemory<HLOCAL> info;
    win32::LocalMemory<HLOCAL> bits;
};

class HostedPlugIn {
public:
    using InfoTexts = std::array<std::string, kInfoTextCount>;

    // The picture plug-in at path, or null when it cannot be loaded, is not a
    // picture plug-in ("00IN") or lacks an export the host calls.
    static std::unique_ptr<HostedPlugIn> Load(const std::string& path);

    const InfoTexts& Texts() const { return texts_; }
    // file: the file's bytes in a block readable up to FileBlockBytes(size).
    bool Decode(std::span<const std::uint8_t> file, PlugInPicture& picture) const;

private:
    win32::Module library_;
    InfoTexts texts_;
    IsSupportedFunction isSupported_ = nullptr;
    GetPictureFunction getPicture_ = nullptr;
};

}  // namespace imvexa::plughost
