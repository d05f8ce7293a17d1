// Hostile icon directories and metafile headers.
#include <cstddef>
#include <cstdint>

#include "IconDirectory.h"
#include "MetafileHeader.h"

using namespace imvexa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto entries = ReadIconDirectory(data, size);
        const IconImageEntry& chosen = entries[ChooseIconImage(entries, 32, 32, 32)];
        if (chosen.offset + std::size_t{chosen.size} > size) __builtin_trap();
    } catch (const Exception&) {
    }
    try {
        ReadMetafileHeader(data, size, 96);
    } catch (const Exception&) {
    }
    return 0;
}
