#include "PngZlibReader.h"

#include "PngDataPieces.h"
#include "PngErrors.h"

namespace imvexa::png {

namespace {

[[noreturn]] void Fail(const char* message) {
    throw EQXPNGLE(message);
}

}  // namespace

TZlibReader::TZlibReader(TPngBytes& bytes, std::int32_t& remaining) : bytes_(bytes), remaining_(remaining) {
    const int result = inflateInit(&zip_);
    if (result == Z_MEM_ERROR) throw EOutOfMemory("Out of memory");
    if (result != Z_OK) Fail("ZLIB ERROR");
}

TZlibReader::~TZlibReader() {
    inflateEnd(&zip_);
}

void TZlibReader::Read(std::uint8_t* out, std::size_t count) {
    zip_.next_out = out;
    zip_.avail_out = static_cast<uInt>(count);
    while (zip_.avail_out > 0) {
        if (zip_.avail_in == 0) {
            const auto piece = TakeImageDataPiece(bytes_, remaining_);
            // zlib does not write through next_in; its type just predates const.
            zip_.next_in = const_cast<std::uint8_t*>(piece.data());
            zip_.avail_in = static_cast<uInt>(piece.size());
        }
        const int result = inflate(&zip_, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            if (zip_.avail_out > 0) Fail("zlib data end");
        } else if (result != Z_OK) {
            Fail("zlib error");
        }
    }
}

}  // namespace imvexa::png
