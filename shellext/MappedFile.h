#pragma once
// A file read once for Extract: a read-only view of all its bytes.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "Owners.h"

namespace imvexa {

class TMappedFile {
public:
    // Opens the file at the UTF-16 path for reading, other readers allowed and
    // writers denied while the view lives. Raises EFOpenError "Cannot open
    // file \"path\"" as a file stream does; EReadError "Stream read error"
    // when the bytes cannot be mapped. An empty file has no bytes.
    explicit TMappedFile(const std::wstring& path);

    std::span<const std::uint8_t> Bytes() const { return {static_cast<const std::uint8_t*>(view_.Get()), size_}; }

private:
    win32::FileHandle file_;
    win32::KernelHandle mapping_;
    win32::FileView view_;
    std::size_t size_ = 0;
};

}  // namespace imvexa
