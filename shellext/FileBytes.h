#pragma once
// A file read once for Extract: all its bytes, in memory of the process.
// They are read rather than mapped: a mapped view of a file on a network or
// removable drive that goes away raises an in-page fault in whichever
// decoder touches the page next, which would take Explorer down.
#include <cstdint>
#include <span>
#include <string>

#include "RecycledBytes.h"

namespace imvexa {

class TFileBytes {
public:
    // Opens the file at the UTF-16 path for reading (other readers allowed,
    // writers denied while it is read) and reads it whole. Raises EFOpenError
    // "Cannot open file \"path\"" as a file stream does; EReadError "Stream
    // read error" when its bytes cannot all be read, EOutOfMemory when no
    // block can hold them. An empty file has no bytes.
    explicit TFileBytes(const std::wstring& path);

    std::span<const std::uint8_t> Bytes() const { return bytes_.Bytes(); }

private:
    TRecycledBytes bytes_;
};

}  // namespace imvexa
