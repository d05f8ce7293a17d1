// Drives libjpeg: the decompression parameters come from the settings, each
// output scanline goes to the sink as the library delivers it, and an 8-bit
// picture's colour table is the library's colour map.
#include "JPEGDecode.h"

#include <chrono>
#include <vector>

#include "AllocationFailure.h"
#include "JPEGCmyk.h"
#include "JPEGDecompressor.h"
#include "PixelLimits.h"

namespace imvexa {

namespace {

constexpr int kQuantizedColors = 236;

// Nothing here holds a whole picture, so the time of decoding is what a
// picture's size costs: JPEG's own dimension limit, which the library checks
// in the frame header, keeps every picture within the streamed pixel count.
static_assert(std::int64_t{JPEG_MAX_DIMENSION} * JPEG_MAX_DIMENSION <= kMaxStreamedPixels);

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

int BitsPerPixel(const OutputPlan& plan) {
    return plan.quantized ? 8 : 24;
}

// Reads the header and sets the decompression up for the settings.
OutputPlan SetUp(JPEGDecompressor& jpeg, const TJPEGSettings& settings) {
    jpeg.ReadHeader();
    return ApplySettings(jpeg.Context(), settings, jpeg.HasMultipleScans());
}

std::vector<PaletteEntry> ColorMap(const jpeg_decompress_struct& context) {
    const bool grey = context.out_color_components == 1;
    std::vector<PaletteEntry> colors(static_cast<std::size_t>(context.actual_number_of_colors));
    for (std::size_t i = 0; i < colors.size(); ++i) {
        const JSAMPLE first = context.colormap[0][i];
        colors[i] = grey ? PaletteEntry{first, first, first, 0}
                         : PaletteEntry{first, context.colormap[1][i], context.colormap[2][i], 0};
    }
    return colors;
}

// The picture of an output pass that has started: a quantized pass has
// chosen its colour map by then.
PictureHeader PassHeader(const jpeg_decompress_struct& context, const OutputPlan& plan) {
    PictureHeader header;
    header.width = static_cast<std::int32_t>(context.output_width);
    header.height = static_cast<std::int32_t>(context.output_height);
    header.bitsPerPixel = BitsPerPixel(plan);
    if (plan.quantized) header.colors = ColorMap(context);
    return header;
}

// Passes the library's progress on, while running at most every 500 ms.
class ProgressReport {
public:
    explicit ProgressReport(const JPEGProgress& notify) : notify_(notify) {}

    void Tell(ProgressStage stage, int percent) {
        if (notify_) notify_(stage, percent);
    }

    void Running(int percent) {
        const auto now = Clock::now();
        if (now < next_) return;
        next_ = now + kInterval;
        Tell(ProgressStage::Running, percent);
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kInterval = std::chrono::milliseconds(500);

    const JPEGProgress& notify_;
    Clock::time_point next_ = Clock::now() + kInterval;
};

// Takes the rows of the early passes of buffered-image mode: a sink sees
// only the final picture.
class DroppedRows : public TRowSink {
public:
    void Begin(const PictureHeader&) override {}
    void Row(const std::uint8_t*) override {}
};

// One output pass into the sink, each scanline decoded into the one row of
// memory the decoder holds (CMYK samples become blue-green-red in place).
void ReadPass(JPEGDecompressor& jpeg, const OutputPlan& plan, TRowSink& sink, ProgressReport& report) {
    jpeg_decompress_struct& context = jpeg.Context();
    sink.Begin(PassHeader(context, plan));
    const int width = static_cast<int>(context.output_width);
    std::vector<JSAMPLE> scanline(static_cast<std::size_t>(width) * static_cast<std::size_t>(context.output_components));
    JSAMPROW row = scanline.data();
    while (context.output_scanline < context.output_height) {
        IMVEXA_ASSERT(jpeg.ReadRows(&row, 1) == 1, "JPEG: No Rows Decoded", "JPEG");
        if (plan.cmyk) CmykToBgr(row, row, width, context.saw_Adobe_marker != FALSE);
        sink.Row(row);
        report.Running(jpeg.PercentDone());
    }
}

// Buffered-image mode: a fast pass for each scan as the input advances, then,
// once the input is complete, the final pass with the settings' parameters.
void ReadPassByPass(JPEGDecompressor& jpeg, const OutputPlan& plan, TRowSink& sink, ProgressReport& report) {
    jpeg_decompress_struct& context = jpeg.Context();
    const PassParameters final{context.dct_method, context.two_pass_quantize, context.dither_mode};
    DroppedRows earlyPass;
    for (;;) {
        const bool last = jpeg.InputComplete();
        UsePassParameters(context, last ? final : kFastPass);
        // A null colour map makes the library choose the final quantizer anew.
        if (last) context.colormap = nullptr;
        jpeg.StartOutputPass();
        ReadPass(jpeg, plan, last ? sink : earlyPass, report);
        jpeg.FinishOutputPass();
        if (last) return;
    }
}

}  // namespace

JPEGHeader ReadJPEGHeader(std::span<const std::uint8_t> bytes) {
    JPEGDecompressor jpeg(bytes.data(), bytes.size());
    jpeg.ReadHeader();
    const jpeg_decompress_struct& context = jpeg.Context();
    return JPEGHeader{JPEGSize{static_cast<int>(context.image_width), static_cast<int>(context.image_height)},
                      context.jpeg_color_space == JCS_GRAYSCALE, jpeg.HasMultipleScans()};
}

JPEGOutput JPEGOutputOf(std::span<const std::uint8_t> bytes, const TJPEGSettings& settings) {
    JPEGDecompressor jpeg(bytes.data(), bytes.size());
    const OutputPlan plan = SetUp(jpeg, settings);
    jpeg.CalculateOutputSize();
    const jpeg_decompress_struct& context = jpeg.Context();
    return JPEGOutput{JPEGSize{static_cast<int>(context.output_width), static_cast<int>(context.output_height)},
                      BitsPerPixel(plan)};
}

void DecodeJPEG(std::span<const std::uint8_t> bytes, const TJPEGSettings& settings, TRowSink& sink,
                const JPEGProgress& progress) {
    GuardAllocations([&] {
        JPEGDecompressor jpeg(bytes.data(), bytes.size());
        const OutputPlan plan = SetUp(jpeg, settings);
        ProgressReport report(progress);
        report.Tell(ProgressStage::Starting, 0);
        jpeg.Start();
        if (plan.buffered)
            ReadPassByPass(jpeg, plan, sink, report);
        else
            ReadPass(jpeg, plan, sink, report);
        jpeg.Finish();
        report.Tell(ProgressStage::Ending, 100);
    });
}

}  // namespace imvexa
