#include "JPEGMemorySource.h"

#include <algorithm>

namespace imvexa {

namespace {

constexpr std::size_t kBlockSize = 4096;
const JOCTET kFakeEndOfImage[] = {0xFF, JPEG_EOI};

JPEGMemorySource& SourceOf(j_decompress_ptr context) {
    return *reinterpret_cast<JPEGMemorySource*>(context->src);
}

void StartReading(j_decompress_ptr) {}

void StopReading(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr context) {
    JPEGMemorySource& source = SourceOf(context);
    if (source.position >= source.size) {
        if (source.position == 0) ERREXIT(context, JERR_INPUT_EMPTY);
        WARNMS(context, JWRN_JPEG_EOF);
        source.library.next_input_byte = kFakeEndOfImage;
        source.library.bytes_in_buffer = sizeof kFakeEndOfImage;
        return TRUE;
    }
    const std::size_t block = std::min(kBlockSize, source.size - source.position);
    source.library.next_input_byte = source.data + source.position;
    source.library.bytes_in_buffer = block;
    source.position += block;
    return TRUE;
}

// Skips within the current block, else drops it and moves on in the data;
// skipping past the end leaves the next fill to supply the fake marker.
void SkipInputData(j_decompress_ptr context, long count) {
    if (count <= 0) return;
    JPEGMemorySource& source = SourceOf(context);
    const auto skip = static_cast<std::size_t>(count);
    if (skip <= source.library.bytes_in_buffer) {
        source.library.next_input_byte += skip;
        source.library.bytes_in_buffer -= skip;
        return;
    }
    const std::size_t beyondBlock = skip - source.library.bytes_in_buffer;
    source.library.bytes_in_buffer = 0;
    source.position += std::min(beyondBlock, source.size - source.position);
}

}  // namespace

void AttachMemorySource(j_decompress_ptr context, JPEGMemorySource& source, const std::uint8_t* data,
                        std::size_t size) {
    source.library.next_input_byte = nullptr;
    source.library.bytes_in_buffer = 0;
    source.library.init_source = StartReading;
    source.library.fill_input_buffer = FillInputBuffer;
    source.library.skip_input_data = SkipInputData;
    source.library.resync_to_restart = jpeg_resync_to_restart;
    source.library.term_source = StopReading;
    source.data = data;
    source.size = size;
    source.position = 0;
    context->src = &source.library;
}

}  // namespace imvexa
