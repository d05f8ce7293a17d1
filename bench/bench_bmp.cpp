// BMP loading (into a DIB image, and as rows from DecodeBMP) and RLE expansion
// against a plain copy of the same bytes, measured in the same run: the copy
// is the floor any reader has to pay.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "BmpBuilder.h"
#include "BmpRows.h"
#include "RowsConsumed.h"
#include "Stream.h"
#include "ZdDIB.h"
#include "PixelMemory.h"
#include "ZdDIBRle.h"

using namespace imvexa;

namespace {

constexpr int kWidth = 2000;
constexpr int kHeight = 1500;

// A photograph-like 24-bit picture: every byte differs from its neighbour.
std::vector<std::uint8_t> Pixels24() {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>((kWidth * 3 + 3) / 4 * 4) * kHeight);
    std::uint32_t state = 12345;
    for (auto& p : pixels) p = static_cast<std::uint8_t>((state = state * 1103515245 + 12345) >> 24);
    return pixels;
}

// RLE8 codes of a drawing-like picture: runs of 1 to 64 pixels of one index.
std::vector<std::uint8_t> Rle8Codes() {
    std::vector<std::uint8_t> codes;
    std::uint32_t state = 777;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth;) {
            state = state * 1103515245 + 12345;
            const int run = std::min<int>(1 + (state >> 26), kWidth - x);
            codes.push_back(static_cast<std::uint8_t>(run));
            codes.push_back(static_cast<std::uint8_t>(state >> 16));
            x += run;
        }
        codes.push_back(0);
        codes.push_back(0);
    }
    codes.push_back(0);
    codes.push_back(1);
    return codes;
}

void Report(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}

void BM_CopyBaseline24(benchmark::State& state) {
    const auto file = test::BmpBuilder().Size(kWidth, kHeight).Pixels(Pixels24()).Build();
    std::vector<std::uint8_t> copy(file.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), file.data(), file.size());
        benchmark::ClobberMemory();
    }
    Report(state, file.size());
}

void BM_LoadBmp24(benchmark::State& state) {
    const auto file = test::BmpBuilder().Size(kWidth, kHeight).Pixels(Pixels24()).Build();
    for (auto _ : state) {
        TZdDIB image;
        TBorrowedMemoryStream stream(file.data(), file.size());
        image.LoadFromStream(stream);
        benchmark::DoNotOptimize(image.Pixels(0, 0));
    }
    Report(state, file.size());
}

void BM_DecodeBmp24Rows(benchmark::State& state) {
    const auto file = BmpFile(24, kBiRgb, Pixels24());
    bench::TRowsConsumed sink;
    for (auto _ : state) DecodeBMP(file, sink);
    Report(state, file.size());
}

void BM_DecodeRle8Rows(benchmark::State& state) {
    const auto file = BmpFile(8, kBiRle8, Rle8Codes());
    bench::TRowsConsumed sink;
    for (auto _ : state) DecodeBMP(file, sink);
    Report(state, static_cast<std::size_t>((kWidth + 3) / 4 * 4) * kHeight);
}

// RLE expansion writes the uncompressed rows: both sides are measured by them.
void BM_CopyBaselineRle(benchmark::State& state) {
    const std::size_t rows = static_cast<std::size_t>((kWidth + 3) / 4 * 4) * kHeight;
    std::vector<std::uint8_t> from(rows, 1), to(rows);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), rows);
        benchmark::ClobberMemory();
    }
    Report(state, rows);
}

void BM_ExpandRle8(benchmark::State& state) {
    auto codes = Rle8Codes();
    TZdDIBInfo source;
    source.Header = {40, kWidth, kHeight, 1, 8, kBiRle8, 0, 0, 0, 256, 0};
    source.Bits = codes.data();
    source.BitsSize = static_cast<std::int32_t>(codes.size());
    std::size_t rows = 0;
    for (auto _ : state) {
        TZdDIBInfo result = Convert8BitRLETo8BitRGB(source, true);
        rows = static_cast<std::size_t>(result.BitsSize);
        ReleaseMemory(result.MapHandle, result.Bits, result.BitsSize);
    }
    Report(state, rows);
}

}  // namespace

BENCHMARK(BM_CopyBaseline24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBmp24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBmp24Rows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyBaselineRle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpandRle8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeRle8Rows)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
