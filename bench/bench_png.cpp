// PNG decoding: QXPNGLE against libpng on the same files, in the same run.
// Two large pictures, written by libpng with its default settings (zlib
// level 6; adaptive filters for truecolour, none for the palette picture):
// a 3000 × 2000 truecolour photograph-like picture and a 3000 × 2000
// 256-colour drawing-like one. libpng decodes into rows of the same format
// as ours (blue-green-red, or the palette indexes), into memory it does not
// have to clear. After the runs the program prints, per picture, the ratio
// libpng time / QXPNGLE time: at least 1.0 means we are at least as fast.
// QXPNGLE's time includes creating its platform bitmap (TBitmap), which
// paints every new pixel white before the rows are decoded into it; the
// rows benchmarks run DecodePNG alone, into a sink that keeps nothing.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "PngDecode.h"
#include "QXPNGL.h"
#include "Stream.h"

using namespace imvexa;

namespace {

constexpr int kWidth = 3000;
constexpr int kHeight = 2000;

using Bytes = std::vector<std::uint8_t>;

void WriteToBytes(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void FlushNothing(png_structp) {}

// Encodes rows (RGB or palette indexes) with libpng's defaults.
Bytes Encode(const Bytes& pixels, int colorType, int channels, const std::vector<png_color>& palette) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) throw std::runtime_error("libpng could not write the picture");
    png_set_write_fn(png, &out, WriteToBytes, FlushNothing);
    png_set_IHDR(png, info, kWidth, kHeight, 8, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    png_write_info(png, info);
    for (int y = 0; y < kHeight; ++y)
        png_write_row(png, pixels.data() + static_cast<std::size_t>(y) * kWidth * channels);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// A photograph-like picture: smooth shapes, edges and sensor noise.
Bytes PhotoFile() {
    Bytes rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
    std::uint32_t state = 2024;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            state = state * 1103515245u + 12345u;
            const int noise = static_cast<int>(state >> 28) - 8;
            const double fx = x / 300.0, fy = y / 200.0;
            const double base[3] = {128 + 100 * std::sin(fx + 0.5 * fy), 128 + 90 * std::cos(0.7 * fx - fy),
                                    120 + 80 * std::sin(1.3 * fy) * std::cos(0.4 * fx)};
            const bool edge = ((x / 250) + (y / 180)) % 3 == 0;
            for (int c = 0; c < 3; ++c) {
                const int v = static_cast<int>(base[c]) + (edge ? 40 : 0) + noise;
                rgb[(static_cast<std::size_t>(y) * kWidth + x) * 3 + c] = static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
            }
        }
    }
    return Encode(rgb, PNG_COLOR_TYPE_RGB, 3, {});
}

// A drawing-like 256-colour picture: runs of colours, lines and dithering.
Bytes PaletteFile() {
    Bytes index(static_cast<std::size_t>(kWidth) * kHeight);
    std::uint32_t state = 99;
    for (int y = 0; y < kHeight; ++y) {
        int x = 0;
        while (x < kWidth) {
            state = state * 1103515245u + 12345u;
            const int run = 1 + static_cast<int>((state >> 16) % 40);
            const auto color = static_cast<std::uint8_t>(((x / 97) * 31 + (y / 61) * 17 + ((state >> 8) & 3)) & 0xFF);
            for (int i = 0; i < run && x < kWidth; ++i, ++x)
                index[static_cast<std::size_t>(y) * kWidth + x] = (x + y) % 7 == 0 ? static_cast<std::uint8_t>(color ^ 1) : color;
        }
    }
    std::vector<png_color> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[i] = png_color{static_cast<png_byte>(i * 37), static_cast<png_byte>(i * 91), static_cast<png_byte>(i * 13)};
    return Encode(index, PNG_COLOR_TYPE_PALETTE, 1, palette);
}

const Bytes& Photo() {
    static const Bytes file = PhotoFile();
    return file;
}

const Bytes& Drawing() {
    static const Bytes file = PaletteFile();
    return file;
}

struct MemoryReader {
    const Bytes* file;
    std::size_t position;
};

void ReadFromBytes(png_structp png, png_bytep data, png_size_t size) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (reader->position + size > reader->file->size()) png_error(png, "read past the end");
    std::memcpy(data, reader->file->data() + reader->position, size);
    reader->position += size;
}

// libpng's decode into rows of blue-green-red (or indexes) it owns.
std::unique_ptr<std::uint8_t[]> DecodeWithLibpng(const Bytes& file) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::unique_ptr<std::uint8_t[]> pixels;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw std::runtime_error("libpng could not read the picture");
    }
    MemoryReader reader{&file, 0};
    png_set_read_fn(png, &reader, ReadFromBytes);
    png_read_info(png, info);
    png_set_bgr(png);
    png_read_update_info(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    const std::size_t height = png_get_image_height(png, info);
    pixels.reset(new std::uint8_t[rowBytes * height]);
    rows.resize(height);
    for (std::size_t y = 0; y < height; ++y) rows[y] = pixels.get() + y * rowBytes;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return pixels;
}

void Report(benchmark::State& state, const Bytes& file) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(file.size()));
}

void DecodeWithQxpngle(benchmark::State& state, const Bytes& file) {
    for (auto _ : state) {
        QXPNGLE png;
        TBorrowedMemoryStream stream(file.data(), file.size());
        png.LoadFromStream(stream);
        benchmark::DoNotOptimize(png.InternalBitmap()->ScanLine(kHeight - 1)[0]);
    }
    Report(state, file);
}

// Touches one byte of every row, so that nothing is optimised away.
class TRowsTouched : public TRowSink {
public:
    void Begin(const PictureHeader&) override {}
    void Row(const std::uint8_t* pixels) override { sum_ += pixels[0]; }
    unsigned Sum() const { return sum_; }

private:
    unsigned sum_ = 0;
};

void DecodeRows(benchmark::State& state, const Bytes& file) {
    for (auto _ : state) {
        TRowsTouched rows;
        DecodePNG(file, rows);
        benchmark::DoNotOptimize(rows.Sum());
    }
    Report(state, file);
}

void BM_Qxpngle_Truecolour(benchmark::State& state) { DecodeWithQxpngle(state, Photo()); }

void BM_Rows_Truecolour(benchmark::State& state) { DecodeRows(state, Photo()); }

void BM_Rows_Palette(benchmark::State& state) { DecodeRows(state, Drawing()); }

void BM_Libpng_Truecolour(benchmark::State& state) {
    const Bytes& file = Photo();
    for (auto _ : state) benchmark::DoNotOptimize(DecodeWithLibpng(file));
    Report(state, file);
}

void BM_Qxpngle_Palette(benchmark::State& state) { DecodeWithQxpngle(state, Drawing()); }

void BM_Libpng_Palette(benchmark::State& state) {
    const Bytes& file = Drawing();
    for (auto _ : state) benchmark::DoNotOptimize(DecodeWithLibpng(file));
    Report(state, file);
}

// Keeps the mean times of each benchmark for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.iterations == 0) continue;
            cpu[run.benchmark_name()] = run.GetAdjustedCPUTime();
            real[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
    }
    std::map<std::string, double> cpu;
    std::map<std::string, double> real;
};

// libpng time / the decoder's time (Qxpngle or Rows) for one picture, 0 when either is missing.
double Ratio(const std::map<std::string, double>& times, const std::string& decoder, const std::string& picture) {
    const auto ours = times.find("BM_" + decoder + "_" + picture);
    const auto theirs = times.find("BM_Libpng_" + picture);
    if (ours == times.end() || theirs == times.end() || ours->second <= 0) return 0;
    return theirs->second / ours->second;
}

}  // namespace

BENCHMARK(BM_Qxpngle_Truecolour)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libpng_Truecolour)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Qxpngle_Palette)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libpng_Palette)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rows_Truecolour)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rows_Palette)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::printf("truecolour file: %zu bytes, palette file: %zu bytes\n", Photo().size(), Drawing().size());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Both runs are single-threaded: CPU time is what each decode costs, and
    // stays meaningful on a busy machine; wall time is shown beside it.
    for (const char* ours : {"Qxpngle", "Rows"}) {
        for (const char* picture : {"Truecolour", "Palette"}) {
            if (Ratio(reporter.cpu, ours, picture) == 0) continue;
            std::printf("ratio libpng/%s %s: %.2f (CPU time), %.2f (wall time)\n", ours, picture,
                        Ratio(reporter.cpu, ours, picture), Ratio(reporter.real, ours, picture));
        }
    }
    benchmark::Shutdown();
    return 0;
}
