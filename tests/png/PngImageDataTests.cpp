// The image data reader against zlib's reader (the definition) on the same
// chunks: rows, failures, and the position and chunk count left must agree
// where the fast inflater's output is used, where it cannot be, and at the
// edges between: the chunk the stream ends in, a stream longer or shorter
// than the rows, damage, chunks that are not IDAT, and a caller failing
// between two reads.
#include <gtest/gtest.h>

#include "ImageDataRuns.h"
#include "PngBuilder.h"

namespace imvexa::test::png {
namespace {

constexpr std::size_t kRowBytes = 3001;
constexpr std::size_t kRows = 120;

// Rows that compress about as well as a photograph's.
Bytes RowData(std::size_t size) {
    Bytes data(size);
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        data[i] = static_cast<std::uint8_t>((i % kRowBytes) / 7 + (state >> 29));
    }
    return data;
}

struct Case {
    const char* name;
    int level;
    std::ptrdiff_t chunkBytes;  // 0: one chunk; negative: all but that many bytes in the first
    std::ptrdiff_t extraBytes;  // data beyond the rows' (negative: missing)
    std::ptrdiff_t damageAt;    // byte of the stream inverted (negative: from its end; 0: none)
    int tail;
    std::size_t stopAfter;
};

const Case kCases[] = {
    {"OneChunk", 6, 0, 0, 0, 0, 0},
    {"ChunksOf8K", 6, 8192, 0, 0, 0, 0},
    {"StoredBlocksInChunksOf8K", 0, 8192, 0, 0, 0, 0},
    {"LastChunkHoldsOnlyTheAdler", 6, -4, 0, 0, 0, 0},
    {"LastChunkShorterThanTheCheck", 6, -40, 0, 0, 0, 0},
    {"LastChunkJustLongerThanTheCheck", 6, -70, 0, 0, 0, 0},
    {"StreamLongerThanTheRows", 6, 8192, 5000, 0, 1, 0},
    {"StreamShorterThanTheRows", 6, 8192, -10, 0, 0, 0},
    {"DamageInTheMiddle", 6, 8192, 0, 20000, 0, 0},
    {"WrongAdler", 6, 8192, 0, -1, 0, 0},
    {"WrongAdlerInItsOwnChunk", 6, -4, 0, -1, 0, 0},
    {"NoIendAfterTheData", 6, 8192, 0, 0, 2, 0},
    {"CallerFailsMidway", 6, 8192, 0, 0, 0, 60},
    {"CallerFailsAfterTheLastRow", 6, 8192, 0, 0, 0, kRows},
};

class ImageData : public ::testing::TestWithParam<Case> {};

TEST_P(ImageData, AgreesWithZlibsReader) {
    const Case& c = GetParam();
    const Bytes rows = RowData(static_cast<std::size_t>(static_cast<std::ptrdiff_t>(kRowBytes * kRows) + c.extraBytes));
    Bytes stream = Compress(rows, c.level);
    if (c.damageAt != 0) stream[c.damageAt > 0 ? c.damageAt : stream.size() + c.damageAt] ^= 0xFF;
    const auto size = static_cast<std::ptrdiff_t>(stream.size());
    const DataLayout layout{kRowBytes, kRows, static_cast<std::size_t>(c.chunkBytes < 0 ? size + c.chunkBytes : c.chunkBytes),
                            c.tail, c.stopAfter};
    const Bytes chunks = DataChunks(stream, layout);
    const DataOutcome zlib = RunReader<TZlibOnly>(chunks, layout);
    const DataOutcome fast = RunReader<imvexa::png::TPngImageData>(chunks, layout);
    EXPECT_EQ(fast.failure, zlib.failure);
    EXPECT_EQ(fast.rows.size(), zlib.rows.size());
    EXPECT_TRUE(fast.rows == zlib.rows);
    EXPECT_EQ(fast.position, zlib.position);
    EXPECT_EQ(fast.remaining, zlib.remaining);
}

INSTANTIATE_TEST_SUITE_P(Png, ImageData, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& p) { return std::string(p.param.name); });

// A chunk that is not IDAT, or an empty IDAT, in the middle of the data.
TEST(ImageData, InterruptedDataFailsAtZlibsRead) {
    const Bytes stream = Compress(RowData(kRowBytes * kRows), 6);
    for (const char* type : {"tEXt", "IDAT"}) {
        SCOPED_TRACE(type);
        Bytes chunks;
        const std::size_t half = stream.size() / 2;
        PutDataChunk(chunks, "IDAT", std::span(stream).first(half));
        PutDataChunk(chunks, type, {});
        PutDataChunk(chunks, "IDAT", std::span(stream).subspan(half));
        const DataLayout layout{kRowBytes, kRows, 0, 2, 0};
        EXPECT_EQ(RunReader<imvexa::png::TPngImageData>(chunks, layout), RunReader<TZlibOnly>(chunks, layout));
    }
}

}  // namespace
}  // namespace imvexa::test::png
