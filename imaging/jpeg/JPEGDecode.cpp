// Drives libjpeg for TJPEGImage: the decompression parameters come from the
// settings, output rows go straight into the bitmap's rows, and an 8-bit
// bitmap's palette is the library's colour map.
#include "JPEGDecode.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "JPEGCmyk.h"
#include "JPEGDecompressor.h"
#include "PixelLimits.h"

namespace imvexa {

namespace {

constexpr int kQuantizedColors = 236;

// What decoding delivers, chosen from the header and the settings.
struct OutputPlan {
    bool cmyk = false;       // four samples per pixel, turned into colours here
    bool quantized = false;  // palette indices
    bool buffered = false;   // buffered-image mode: a pass per scan, then the final one
};

// The parameters that differ between the fast early passes of buffered-image
// mode and the final pass.
struct PassParameters {
    J_DCT_METHOD dct;
    boolean twoPassQuantize;
    J_DITHER_MODE dither;
};

constexpr PassParameters kFastPass{JDCT_IFAST, FALSE, JDITHER_ORDERED};

void UsePassParameters(jpeg_decompress_struct& context, const PassParameters& parameters) {
    context.dct_method = parameters.dct;
    context.two_pass_quantize = parameters.twoPassQuantize;
    context.dither_mode = parameters.dither;
}

OutputPlan ApplySettings(jpeg_decompress_struct& context, const TJPEGSettings& settings, bool multipleScans) {
    context.scale_num = 1;
    context.scale_denom = 1u << static_cast<unsigned>(settings.Scale);
    context.do_block_smoothing = settings.Smoothing ? TRUE : FALSE;
    if (settings.Performance == TJPEGPerformance::BestSpeed) UsePassParameters(context, kFastPass);
    OutputPlan plan;
    if (context.jpeg_color_space == JCS_CMYK || context.jpeg_color_space == JCS_YCCK) {
        // The library converts these only to CMYK; the colours are made here,
        // always at 24 bits, as its quantizer works in output colours only.
        context.out_color_space = JCS_CMYK;
        plan.cmyk = true;
    } else {
        const bool grey = settings.Grayscale || context.out_color_space == JCS_GRAYSCALE;
        plan.quantized = grey || settings.PixelFormat == TJPEGPixelFormat::Bit8;
        context.out_color_space = grey ? JCS_GRAYSCALE : plan.quantized ? JCS_RGB : JCS_EXT_BGR;
        context.quantize_colors = plan.quantized ? TRUE : FALSE;
        context.desired_number_of_colors = kQuantizedColors;
    }
    plan.buffered = settings.ProgressiveDisplay && multipleScans;
    if (plan.buffered) {
        context.buffered_image = TRUE;
        context.enable_1pass_quant = context.quantize_colors;
    }
    return plan;
}

// The full-size picture bounds the memory of the library and of the bitmap.
void CheckPixelLimits(const jpeg_decompress_struct& context) {
    const std::int32_t width = static_cast<std::int32_t>(context.image_width);
    const std::int32_t height = static_cast<std::int32_t>(context.image_height);
    if (!WithinPixelLimits(width, height, RowStride(width, 24)))
        throw EJPEG("JPEG image too large: " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
}

void TakeColorMap(const jpeg_decompress_struct& context, TBitmap& bitmap) {
    const bool grey = context.out_color_components == 1;
    std::vector<PaletteEntry> colors(static_cast<std::size_t>(context.actual_number_of_colors));
    for (std::size_t i = 0; i < colors.size(); ++i) {
        const JSAMPLE first = context.colormap[0][i];
        colors[i] = grey ? PaletteEntry{first, first, first, 0}
                         : PaletteEntry{first, context.colormap[1][i], context.colormap[2][i], 0};
    }
    bitmap.SetColorTable(std::move(colors));
}

// Passes the library's progress on at most every 500 ms.
class ProgressReport {
public:
    explicit ProgressReport(const JPEGProgress& notify) : notify_(notify) {}

    void Running(int percent) {
        const auto now = Clock::now();
        if (now < next_) return;
        next_ = now + kInterval;
        notify_(ProgressStage::Running, percent);
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kInterval = std::chrono::milliseconds(500);

    const JPEGProgress& notify_;
    Clock::time_point next_ = Clock::now() + kInterval;
};

// One output pass into the bitmap: row n of the output is the bitmap's row n
// from the top, as many rows per call as the library recommends. The colour
// map of a quantized pass is chosen by the time the pass starts.
void ReadPass(JPEGDecompressor& jpeg, TBitmap& bitmap, const OutputPlan& plan, ProgressReport& report) {
    jpeg_decompress_struct& context = jpeg.Context();
    if (plan.quantized) TakeColorMap(context, bitmap);
    const int width = static_cast<int>(context.output_width);
    const int height = static_cast<int>(context.output_height);
    const int batch = std::max(1, context.rec_outbuf_height);
    const std::size_t cmykRowSize = static_cast<std::size_t>(width) * 4;
    std::vector<JSAMPLE> cmykRows(plan.cmyk ? cmykRowSize * static_cast<std::size_t>(batch) : 0);
    std::vector<JSAMPROW> rows(static_cast<std::size_t>(batch));
    while (static_cast<int>(context.output_scanline) < height) {
        const int first = static_cast<int>(context.output_scanline);
        const int count = std::min(batch, height - first);
        for (int i = 0; i < count; ++i)
            rows[i] = plan.cmyk ? &cmykRows[cmykRowSize * static_cast<std::size_t>(i)] : bitmap.ScanLine(first + i);
        const int read = jpeg.ReadRows(rows.data(), count);
        IMVEXA_ASSERT(read > 0, "JPEG: No Rows Decoded", "JPEG");
        if (plan.cmyk) {
            for (int i = 0; i < read; ++i)
                CmykToBgr(rows[i], bitmap.ScanLine(first + i), width, context.saw_Adobe_marker != FALSE);
        }
        report.Running(jpeg.PercentDone());
    }
}

// Buffered-image mode: a fast pass for each scan as the input advances, then,
// once the input is complete, the final pass with the settings' parameters.
void ReadPassByPass(JPEGDecompressor& jpeg, TBitmap& bitmap, const OutputPlan& plan, ProgressReport& report) {
    jpeg_decompress_struct& context = jpeg.Context();
    const PassParameters final{context.dct_method, context.two_pass_quantize, context.dither_mode};
    for (;;) {
        const bool last = jpeg.InputComplete();
        UsePassParameters(context, last ? final : kFastPass);
        // A null colour map makes the library choose the final quantizer anew.
        if (last) context.colormap = nullptr;
        jpeg.StartOutputPass();
        ReadPass(jpeg, bitmap, plan, report);
        jpeg.FinishOutputPass();
        if (last) return;
    }
}

}  // namespace

JPEGHeader ReadJPEGHeader(const std::vector<std::uint8_t>& bytes) {
    JPEGDecompressor jpeg(bytes.data(), bytes.size());
    jpeg.ReadHeader();
    const jpeg_decompress_struct& context = jpeg.Context();
    return JPEGHeader{JPEGSize{static_cast<int>(context.image_width), static_cast<int>(context.image_height)},
                      context.jpeg_color_space == JCS_GRAYSCALE, jpeg.HasMultipleScans()};
}

JPEGSize ScaledJPEGSize(const std::vector<std::uint8_t>& bytes, TJPEGScale scale) {
    JPEGDecompressor jpeg(bytes.data(), bytes.size());
    jpeg.ReadHeader();
    jpeg_decompress_struct& context = jpeg.Context();
    context.scale_num = 1;
    context.scale_denom = 1u << static_cast<unsigned>(scale);
    jpeg.CalculateOutputSize();
    return JPEGSize{static_cast<int>(context.output_width), static_cast<int>(context.output_height)};
}

void DecodeJPEG(const std::vector<std::uint8_t>& bytes, const TJPEGSettings& settings, TBitmap& bitmap,
                const JPEGProgress& progress) {
    JPEGDecompressor jpeg(bytes.data(), bytes.size());
    jpeg.ReadHeader();
    jpeg_decompress_struct& context = jpeg.Context();
    CheckPixelLimits(context);
    const OutputPlan plan = ApplySettings(context, settings, jpeg.HasMultipleScans());

    // Emptied first, so that changing the format converts no old pixels; no
    // colours of an earlier picture stay either.
    bitmap.SetSize(0, 0);
    bitmap.SetPixelFormat(plan.quantized ? TPixelFormat::Bit8 : TPixelFormat::Bit24, {});
    progress(ProgressStage::Starting, 0);
    jpeg.Start();
    bitmap.SetSize(static_cast<int>(context.output_width), static_cast<int>(context.output_height));
    ProgressReport report(progress);
    if (plan.buffered)
        ReadPassByPass(jpeg, bitmap, plan, report);
    else
        ReadPass(jpeg, bitmap, plan, report);
    jpeg.Finish();
    progress(ProgressStage::Ending, 100);
}

}  // namespace imvexa
