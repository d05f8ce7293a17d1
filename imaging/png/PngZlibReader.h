#pragma once
// The image data inflated by zlib a read at a time, each read feeding zlib
// the next piece whenever it has used up the last one. Where the image data
// is broken, this reader's point of failure, message and position are the
// reader's defined behaviour.
#include <zlib.h>

#include <cstddef>
#include <cstdint>

#include "PngBytes.h"

namespace imvexa::png {

class TZlibReader {
public:
    TZlibReader(TPngBytes& bytes, std::int32_t& remaining);
    ~TZlibReader();
    TZlibReader(const TZlibReader&) = delete;
    TZlibReader& operator=(const TZlibReader&) = delete;

    // Inflates exactly count bytes into out.
    void Read(std::uint8_t* out, std::size_t count);

private:
    TPngBytes& bytes_;
    std::int32_t& remaining_;
    z_stream zip_{};
};

}  // namespace imvexa::png
