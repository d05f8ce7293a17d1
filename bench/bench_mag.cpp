// MAG decoding (into TMAGImage, and as rows from DecodeMAG) against plain fills and copies of the same number of output
// bytes, measured in the same run: writing the pixels is the floor any
// decoder has to pay. Throughput counts the bytes of the decoded pixels.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "Mag.h"
#include "MagRows.h"
#include "PackedPixels.h"
#include "RowsConsumed.h"
#include "Stream.h"

using namespace imvexa;

namespace {

struct Case {
    TPixelFormat format;
    int width;
    int height;

    std::size_t PixelBytes() const {
        return static_cast<std::size_t>(width) * height * (format == TPixelFormat::Bit8 ? 8 : 4) / 8;
    }
};

constexpr Case k16Colors{TPixelFormat::Bit4, 640, 400};
constexpr Case k256Colors{TPixelFormat::Bit8, 1024, 768};

// A drawing-like picture: diagonal bands of colour, a noisy patch in every
// eighth tile, encoded by the MAG writer.
std::vector<std::uint8_t> MagFile(const Case& c) {
    TBitmap picture;
    picture.SetPixelFormat(c.format);
    picture.SetSize(c.width, c.height);
    const std::uint32_t colors = c.format == TPixelFormat::Bit8 ? 256 : 16;
    std::uint32_t state = 99;
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            std::uint32_t index = static_cast<std::uint32_t>(x / 16 + y / 8) % colors;
            if ((x / 32 + y / 32) % 8 == 0) index = (state = state * 1103515245 + 12345) >> 24;
            SetPackedIndex(picture.ScanLine(y), x, picture.BitsPerPixel(), index % colors);
        }
    }
    TMAGImage image;
    image.Assign(&picture);
    TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.Bytes();
}

void Report(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}

void DecodeMag(benchmark::State& state, const Case& c) {
    const auto file = MagFile(c);
    state.counters["file_bytes"] = static_cast<double>(file.size());
    for (auto _ : state) {
        TMAGImage image;
        TBorrowedMemoryStream stream(file.data(), file.size());
        image.LoadFromStream(stream);
        benchmark::DoNotOptimize(image.InternalBitmap().ScanLine(0));
    }
    Report(state, c.PixelBytes());
}

void DecodeMagRows(benchmark::State& state, const Case& c) {
    const auto file = MagFile(c);
    bench::TRowsConsumed sink;
    for (auto _ : state) DecodeMAG(file, sink);
    Report(state, c.PixelBytes());
}

void FillBaseline(benchmark::State& state, const Case& c) {
    std::vector<std::uint8_t> pixels(c.PixelBytes());
    for (auto _ : state) {
        std::memset(pixels.data(), static_cast<int>(state.iterations() & 0xFF), pixels.size());
        benchmark::ClobberMemory();
    }
    Report(state, pixels.size());
}

void CopyBaseline(benchmark::State& state, const Case& c) {
    std::vector<std::uint8_t> from(c.PixelBytes(), 7), to(c.PixelBytes());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size());
        benchmark::ClobberMemory();
    }
    Report(state, to.size());
}

}  // namespace

BENCHMARK_CAPTURE(FillBaseline, 640x400_16, k16Colors)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(CopyBaseline, 640x400_16, k16Colors)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeMag, 640x400_16, k16Colors)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeMagRows, 640x400_16, k16Colors)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(FillBaseline, 1024x768_256, k256Colors)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(CopyBaseline, 1024x768_256, k256Colors)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeMag, 1024x768_256, k256Colors)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DecodeMagRows, 1024x768_256, k256Colors)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
