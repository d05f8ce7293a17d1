#pragma once
// Extract's work: the thumbnail of one file.
#include <windows.h>

#include <cstdint>
#include <string>

namespace imvexa {

// The version of a library's DllGetVersion as major × 65536 + minor, or 0
// when the library, the export or the call fails.
std::uint32_t LibraryVersion(const char* libraryName);
// 120 pixels for a shell library of version 5.0 or later, 160 before.
int EdgeSizeForShellVersion(std::uint32_t version);
// The edge size for the process's shell library, asked for its version once.
int ThumbnailEdgeSize();

// The thumbnail bitmap of the file at the UTF-16 path (the caller owns it),
// or null when the file does not exist. Decoding failures raise exceptions.
HBITMAP ExtractThumbnail(const std::wstring& path, const std::string& extension);

}  // namespace imvexa
