// Inflating the image data. Compressed bytes go to zlib in pieces of at
// most 32 KB straight from the file's bytes; a piece that the file does not
// hold in full is a read error, wherever the rows would end.
#include "PngImageData.h"

#include <algorithm>

#include "PngErrors.h"
#include "PngFormat.h"

namespace imvexa::png {

namespace {

constexpr std::int32_t kInputPiece = 32768;

[[noreturn]] void Fail(const char* message) {
    throw EQXPNGLE(message);
}

}  // namespace

TPngImageData::TPngImageData(TPngBytes& bytes, std::int32_t& remaining) : bytes_(bytes), remaining_(remaining) {
    const int result = inflateInit(&zip_);
    if (result == Z_MEM_ERROR) throw EOutOfMemory("Out of memory");
    if (result != Z_OK) Fail("ZLIB ERROR");
}

TPngImageData::~TPngImageData() {
    inflateEnd(&zip_);
}

// The next piece of compressed data, from the next IDAT chunk when this one is used up.
void TPngImageData::TakeInput() {
    if (remaining_ <= 0) {
        bytes_.Skip(4);  // the CRC of the chunk just finished
        remaining_ = bytes_.ReadChunkLength();
        if (bytes_.ReadUInt32() != kIDAT) Fail("not next IDAT Chunk");
    }
    const std::int32_t count = std::min(remaining_, kInputPiece);
    // zlib does not write through next_in; its type just predates const.
    zip_.next_in = const_cast<std::uint8_t*>(bytes_.Take(static_cast<std::size_t>(count)));
    zip_.avail_in = static_cast<uInt>(count);
    remaining_ -= count;
}

void TPngImageData::Read(std::uint8_t* out, std::size_t count) {
    zip_.next_out = out;
    zip_.avail_out = static_cast<uInt>(count);
    while (zip_.avail_out > 0) {
        if (zip_.avail_in == 0) TakeInput();
        const int result = inflate(&zip_, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            if (zip_.avail_out > 0) Fail("zlib data end");
        } else if (result != Z_OK) {
            Fail("zlib error");
        }
    }
}

void TPngImageData::Finish() {
    if (remaining_ > 0) {
        bytes_.Skip(static_cast<std::uint32_t>(remaining_));
        remaining_ = 0;
    }
}

}  // namespace imvexa::png
