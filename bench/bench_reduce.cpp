// The quality reduction of a 24 MP photograph to a thumbnail, against one
// plain pass that reads every byte of the source, measured in the same run,
// with the heap that the reduction takes beside the picture; and the palette
// reductions and halftones of a 1 MP picture.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <new>

#include <malloc.h>

#include "Reduce.h"
#include "ZdDIB.h"

using namespace imvexa;

namespace {

// Heap bytes held through operator new, now and at most since the last reset.
std::atomic<std::size_t> heapBytes{0};
std::atomic<std::size_t> heapPeak{0};

void ResetHeapPeak() { heapPeak = heapBytes.load(); }

}  // namespace

// The program's heap goes through these two, which count what malloc gives.
// (GCC sees the inlined pair of new and free and warns of a mismatch that is
// none: both ends are replaced here.)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    void* block = std::malloc(size);
    if (block == nullptr) throw std::bad_alloc();
    const std::size_t now = heapBytes += malloc_usable_size(block);
    for (std::size_t peak = heapPeak; now > peak && !heapPeak.compare_exchange_weak(peak, now);) {
    }
    return block;
}

void operator delete(void* block) noexcept {
    if (block == nullptr) return;
    heapBytes -= malloc_usable_size(block);
    std::free(block);
}

void operator delete(void* pointer, std::size_t) noexcept { operator delete(pointer); }

namespace {

// A photograph-like 24-bit picture: gradients with noise.
void PaintPhoto(TZdDIB& image, int width, int height) {
    image.SetBitCount(24);
    image.SetWidth(width);
    image.SetHeight(height);
    const TZdDIBInfo& info = image.InternalDIB().Info;
    std::uint32_t state = 12345;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = DIBRow(info, y);
        for (int x = 0; x < width; ++x) {
            state = state * 1103515245 + 12345;
            const int noise = static_cast<int>(state >> 28);
            row[3 * x] = static_cast<std::uint8_t>(x / 24 + noise);
            row[3 * x + 1] = static_cast<std::uint8_t>((x + y) / 40 + noise);
            row[3 * x + 2] = static_cast<std::uint8_t>(y / 16 + noise);
        }
    }
}

// One pass over every byte of the pixel block, summing them in 32 lanes: a
// fixed block size lets the compiler use vector code, as the reduction does.
std::uint64_t ReadPass(const TZdDIBInfo& info) {
    constexpr std::size_t kLanes = 32;
    const auto bytes = static_cast<std::size_t>(info.BitsSize);
    std::array<std::uint32_t, kLanes> lanes{};  // the photograph's 2.25 million blocks fit 32 bits
    std::size_t i = 0;
    for (; i + kLanes <= bytes; i += kLanes)
        for (std::size_t j = 0; j < kLanes; ++j) lanes[j] += info.Bits[i + j];
    std::uint64_t sum = 0;
    for (; i < bytes; ++i) sum += info.Bits[i];
    for (const std::uint32_t lane : lanes) sum += lane;
    return sum;
}

template <class Work>
double BestSeconds(Work&& work) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void SetMegapixelRate(benchmark::State& state, double pixels) {
    state.counters["MP/s"] =
        benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

constexpr int kPhotoWidth = 6000;
constexpr int kPhotoHeight = 4000;

void BM_ReadPass(benchmark::State& state) {
    TZdDIB source;
    PaintPhoto(source, kPhotoWidth, kPhotoHeight);
    for (auto _ : state) benchmark::DoNotOptimize(ReadPass(source.InternalDIB().Info));
    SetMegapixelRate(state, double{kPhotoWidth} * kPhotoHeight);
}

// Reports, besides its own rate, its time as a ratio to the best read pass
// timed right after it, and the most heap it took beyond the source picture.
// 120 × 80 divides the photograph evenly; at 119 × 79 neighbouring boxes share
// a source row or column.
void BM_ReduceToThumbnail(benchmark::State& state) {
    TZdDIB source;
    PaintPhoto(source, kPhotoWidth, kPhotoHeight);
    double best = 1e9;
    std::size_t heap = 0;
    for (auto _ : state) {
        const std::size_t before = heapBytes;
        ResetHeapPeak();
        const auto start = std::chrono::steady_clock::now();
        TZdDIB target;
        ReduceImage(source, target, static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)));
        benchmark::DoNotOptimize(target.Pixels(0, 0));
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        heap = std::max(heap, heapPeak - before);
    }
    const double readPass =
        BestSeconds([&] { benchmark::DoNotOptimize(ReadPass(source.InternalDIB().Info)); });
    state.counters["ratio_to_read_pass"] = best / readPass;
    state.counters["heap_KiB"] = static_cast<double>(heap) / 1024;
    SetMegapixelRate(state, double{kPhotoWidth} * kPhotoHeight);
}

void BM_Convert1MP(benchmark::State& state) {
    const auto format = static_cast<TZdPixelFormat>(state.range(0));
    TZdDIB source;
    PaintPhoto(source, 1000, 1000);
    source.ConvertMode = static_cast<TZdConvertMode>(state.range(1));
    for (auto _ : state) {
        TZdDIB image;
        image.Assign(&source);
        image.SetPixelFormat(format);
        benchmark::DoNotOptimize(image.Pixels(0, 0));
    }
    SetMegapixelRate(state, 1e6);
}

}  // namespace

BENCHMARK(BM_ReadPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReduceToThumbnail)
    ->ArgNames({"width", "height"})
    ->Args({120, 80})
    ->Args({119, 79})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Convert1MP)
    ->ArgNames({"format", "high"})
    ->Args({zdPf8Bit, 0})
    ->Args({zdPf8Bit, 1})
    ->Args({zdPf4Bit, 0})
    ->Args({zdPf4Bit, 1})
    ->Args({zdPfHalftone, 0})
    ->Args({zdPfHalftoneBW, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
