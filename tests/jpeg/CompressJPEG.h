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

// A JPEG of four dark quadrants (red, green, blue, grey: none near white).
inline std::vector<std::uint8_t> QuadrantJPEG(int width, int height, const CompressOptions& options = {}) {
    static const std::uint8_t kColors[4][3] = {{160, 20, 20}, {20, 160, 20}, {20, 20, 160}, {60, 60, 60}};
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* color = kColors[(y >= height / 2) * 2 + (x >= width / 2)];
            for (int channel = 0; channel < 3; ++channel)
                rows[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3 +
                     static_cast<std::size_t>(channel)] = color[channel];
        }
    return CompressJPEG(rows.data(), width, height, options);
}

}  // namespace imvexa::test
