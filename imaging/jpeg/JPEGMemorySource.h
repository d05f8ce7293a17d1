#pragma once
// The source manager that feeds a compressed file held in memory to libjpeg
// in blocks of 4096 bytes. When the data runs out after at least one byte,
// the library's end-of-file warning is issued and a fake end-of-image marker
// is supplied, so a truncated file decodes as far as its data goes; an empty
// input is the library's fatal empty-input error.
#include <cstddef>
#include <cstdint>

#include "JPEGLibrary.h"

namespace imvexa {

struct JPEGMemorySource {
    jpeg_source_mgr library;  // first member: the library sees only this part
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position;  // bytes handed to the library so far
};

// Makes source read size bytes at data (which must outlive the decompression)
// from their start and attaches it to the context.
void AttachMemorySource(j_decompress_ptr context, JPEGMemorySource& source, const std::uint8_t* data,
                        std::size_t size);

}  // namespace imvexa
