#pragma once
// Compresses pictures with libjpeg for the JPEG tests and benchmark. Library
// errors end the program (the library's default handler): the inputs are the
// tests' own.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "JPEGLibrary.h"

namespace imvexa::test {

struct CompressOptions {
    J_COLOR_SPACE input = JCS_RGB;  // the samples' colour space
    int components = 3;
    J_COLOR_SPACE stored = JCS_YCbCr;  // the file's colour space
    bool adobeMarker = true;          // for CMYK files: inverted samples
    int quality = 90;
    bool progressive = false;  // the library's standard progression of scans
};

// rows holds width × components samples per row, top row first.
inline std::vector<std::uint8_t> CompressJPEG(const std::uint8_t* rows, int width, int height,
                                              const CompressOptions& options) {
    jpeg_compress_struct context{};
    jpeg_error_mgr errors{};
    context.err = jpeg_std_error(&errors);
    jpeg_create_compress(&context);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&context, &buffer, &size);
    context.image_width = static_cast<JDIMENSION>(width);
    context.image_height = static_cast<JDIMENSION>(height);
    context.input_components = options.components;
    context.in_color_space = options.input;
    jpeg_set_defaults(&context);
    jpeg_set_colorspace(&context, options.stored);
    context.write_Adobe_marker = options.adobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&context, options.quality, TRUE);
    if (options.progressive) jpeg_simple_progression(&context);
    jpeg_start_compress(&context, TRUE);
    const std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(options.components);
    while (context.next_scanline < context.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rows + stride * context.next_scanline);
        jpeg_write_scanlines(&context, &row, 1);
    }
    jpeg_finish_compress(&context);
    std::vector<std::uint8_t> file(buffer, buffer + size);
    jpeg_destroy_compress(&context);
    std::free(buffer);
    return file;
}

}  // namespace imvexa::test
