// The JPEG graphic against a bare libjpeg decode of the same file into the
// same kind of memory: a 24-bit platform bitmap whose rows receive the
// library's blue-green-red output, as many rows per call as it recommends.
// Beside them the decoding function alone, into a sink that keeps no row.
// All are measured in turns in one run; the ratios are against bare.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Bitmap.h"
#include "CompressJPEG.h"
#include "JPEG.h"
#include "JPEGDecode.h"
#include "JPEGLibrary.h"
#include "Stream.h"

using namespace imvexa;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// A photograph-like picture: smooth gradients under a fine texture.
std::vector<std::uint8_t> PhotoRows() {
    std::vector<std::uint8_t> rows(std::size_t{kWidth} * kHeight * 3);
    std::uint32_t noise = 12345;
    std::size_t at = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1103515245 + 12345;
            const int grain = static_cast<int>(noise >> 28) - 8;
            const double wave = 40 * std::sin(x * 0.01) * std::cos(y * 0.013);
            for (const int base : {x * 255 / kWidth, y * 255 / kHeight, (x + y) * 255 / (kWidth + kHeight)})
                rows[at++] = static_cast<std::uint8_t>(std::clamp(base + static_cast<int>(wave) + grain, 0, 255));
        }
    }
    return rows;
}

const std::vector<std::uint8_t>& PhotoFile() {
    static const std::vector<std::uint8_t> file = test::CompressJPEG(PhotoRows().data(), kWidth, kHeight, {});
    return file;
}

// Each decode returns a pixel of its last row, so that no work is optimized away.
std::uint8_t BareDecode(const std::vector<std::uint8_t>& file) {
    TBitmap bitmap;
    jpeg_decompress_struct context{};
    jpeg_error_mgr errors{};
    context.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&context);
    jpeg_mem_src(&context, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&context, TRUE);
    context.out_color_space = JCS_EXT_BGR;
    bitmap.SetPixelFormat(TPixelFormat::Bit24);
    jpeg_start_decompress(&context);
    const int height = static_cast<int>(context.output_height);
    bitmap.SetSize(static_cast<int>(context.output_width), height);
    std::vector<JSAMPROW> rows(static_cast<std::size_t>(context.rec_outbuf_height));
    while (static_cast<int>(context.output_scanline) < height) {
        const int first = static_cast<int>(context.output_scanline);
        const int count = std::min(context.rec_outbuf_height, height - first);
        for (int i = 0; i < count; ++i) rows[i] = bitmap.ScanLine(first + i);
        jpeg_read_scanlines(&context, rows.data(), static_cast<JDIMENSION>(count));
    }
    jpeg_finish_decompress(&context);
    jpeg_destroy_decompress(&context);
    return bitmap.ScanLine(height - 1)[0];
}

// What the extractor does: load the file, assign the graphic to a bitmap.
std::uint8_t AdapterDecode(const std::vector<std::uint8_t>& file) {
    TJPEGImage image;
    TBorrowedMemoryStream stream(file.data(), file.size());
    image.LoadFromStream(stream);
    TBitmap bitmap;
    bitmap.Assign(&image);
    return bitmap.ScanLine(bitmap.Height() - 1)[0];
}

// Keeps the first pixel of the row it had last.
class LastRowPixel : public TRowSink {
public:
    void Begin(const PictureHeader&) override {}
    void Row(const std::uint8_t* pixels) override { pixel = pixels[0]; }

    std::uint8_t pixel = 0;
};

std::uint8_t RowsDecode(const std::vector<std::uint8_t>& file) {
    LastRowPixel rows;
    DecodeJPEG(file, TJPEGSettings{}, rows);
    return rows.pixel;
}

double Seconds(std::uint8_t (*decode)(const std::vector<std::uint8_t>&)) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(decode(PhotoFile()));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_AdapterAgainstBareDecode(benchmark::State& state) {
    PhotoFile();
    double bare = 0;
    double adapter = 0;
    double rows = 0;
    bool adapterFirst = false;
    for (auto _ : state) {
        // In turns, each side as often first: the first of a pair finds
        // the memory the other has just freed.
        double adapterSeconds = adapterFirst ? Seconds(AdapterDecode) : 0;
        bare += Seconds(BareDecode);
        if (!adapterFirst) adapterSeconds = Seconds(AdapterDecode);
        adapter += adapterSeconds;
        rows += Seconds(RowsDecode);
        adapterFirst = !adapterFirst;
        state.SetIterationTime(adapterSeconds);
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["bare_ms"] = 1000 * bare / runs;
    state.counters["adapter_ms"] = 1000 * adapter / runs;
    state.counters["rows_ms"] = 1000 * rows / runs;
    state.counters["ratio"] = adapter / bare;
    state.counters["rows_ratio"] = rows / bare;
    state.counters["file_kb"] = static_cast<double>(PhotoFile().size()) / 1024;
}

}  // namespace

BENCHMARK(BM_AdapterAgainstBareDecode)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
