#pragma once
// A file handed over as a stream: its name and its bytes, read once.
#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace imvexa {

// The stream's name as its owner gives it (Explorer: the file's name), empty when it has none.
std::wstring StreamName(IStream* stream);

// The stream's bytes from its start to its end, at most limit of them. Raises
// EReadError "Stream read error" when the stream fails, EOutOfMemory when no
// block can hold the bytes.
std::vector<std::uint8_t> ReadStreamBytes(IStream* stream, std::size_t limit);

}  // namespace imvexa
