#pragma once
// The image data of a PNG file: one zlib stream spread over consecutive
// IDAT chunks, inflated a row at a time.
#include <zlib.h>

#include <cstddef>
#include <cstdint>

#include "PngBytes.h"

namespace imvexa::png {

class TPngImageData {
public:
    // Starts at the first IDAT chunk, whose remaining data bytes lie ahead of
    // the position. remaining is the chunk loop's count, kept up to date.
    TPngImageData(TPngBytes& bytes, std::int32_t& remaining);
    ~TPngImageData();
    TPngImageData(const TPngImageData&) = delete;
    TPngImageData& operator=(const TPngImageData&) = delete;

    // Inflates exactly count bytes into out, moving on to the next IDAT
    // chunk whenever the current one is used up.
    void Read(std::uint8_t* out, std::size_t count);

    // After the last row: the rest of the current chunk is skipped unread,
    // so the position stands at its CRC.
    void Finish();

private:
    void TakeInput();

    TPngBytes& bytes_;
    std::int32_t& remaining_;
    z_stream zip_{};
};

}  // namespace imvexa::png
