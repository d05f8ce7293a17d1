// Pixel-format conversion: the chain of steps from the current format to the
// target (RLE data expanded first and compressed last), with progress reports
// around the conversions that compute a palette.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "AllocationFailure.h"
#include "SystemColor.h"
#include "ZdDIB.h"
#include "ZdDIBConvert.h"
#include "ZdDIBRle.h"

namespace imvexa {

namespace {

constexpr const char* kFormatError = "TZdIntenalDIB.SetPixelsFormat: PixelFormat Error";

using Step = std::function<TZdDIBInfo(const TZdDIBInfo& source, bool useMapping)>;

// What the image hands to the steps that need more than the picture.
struct ConversionSettings {
    TZdConvertMode convertMode;
    std::uint32_t keyColor;  // 0x00BBGGRR
    const ConversionProgress& progress;
};

using KeyedStep = TZdDIBInfo (*)(const TZdDIBInfo&, bool, std::uint32_t);
using ReportingStep = TZdDIBInfo (*)(const TZdDIBInfo&, bool, const ConversionProgress&);

Step Keyed(KeyedStep convert, const ConversionSettings& settings) {
    return [convert, key = settings.keyColor](const TZdDIBInfo& source, bool useMapping) {
        return convert(source, useMapping, key);
    };
}

Step Reporting(ReportingStep convert, const ConversionSettings& settings) {
    return [convert, &progress = settings.progress](const TZdDIBInfo& source, bool useMapping) {
        return convert(source, useMapping, progress);
    };
}

Step ByConvertMode(ReportingStep low, ReportingStep high, const ConversionSettings& settings) {
    ZDDIB_ASSERT(settings.convertMode == TZdConvertMode::Low || settings.convertMode == TZdConvertMode::High,
                 kFormatError);
    return Reporting(settings.convertMode == TZdConvertMode::Low ? low : high, settings);
}

// The step between two different uncompressed formats.
Step PlainStep(TZdPixelFormat from, TZdPixelFormat to, const ConversionSettings& settings) {
    switch (from) {
        case zdPf1Bit:
            if (to == zdPf4Bit) return Convert1BitRGBTo4BitRGB;
            if (to == zdPf8Bit) return Convert1BitRGBTo8BitRGB;
            if (to == zdPf24Bit) return Convert1BitRGBToTrueColor;
            break;
        case zdPf4Bit:
            if (to == zdPf1Bit) return Keyed(Convert4BitRGBTo1BitRGB, settings);
            if (to == zdPf8Bit) return Convert4BitRGBTo8BitRGB;
            if (to == zdPf24Bit) return Convert4BitRGBToTrueColor;
            break;
        case zdPf8Bit:
            if (to == zdPf1Bit) return Keyed(Convert8BitTo1BitRGB, settings);
            if (to == zdPf4Bit) return Reporting(Convert8BitRGBTo4BitRGB, settings);
            if (to == zdPf24Bit) return Convert8BitRGBToTrueColor;
            break;
        case zdPf24Bit:
            if (to == zdPf1Bit) return Keyed(ConvertTrueColorTo1BitRGB, settings);
            if (to == zdPf4Bit)
                return ByConvertMode(ConvertTrueColorTo4BitRGBLow, ConvertTrueColorTo4BitRGBHigh, settings);
            if (to == zdPf8Bit)
                return ByConvertMode(ConvertTrueColorTo8BitRGBLow, ConvertTrueColorTo8BitRGBHigh, settings);
            break;
        default: break;
    }
    throw EAssertionFailed(kFormatError, "ZdDIB", __LINE__);
}

std::vector<Step> ConversionChain(TZdPixelFormat current, TZdPixelFormat target, const ConversionSettings& settings) {
    std::vector<Step> steps;
    if (current == zdPf4BitRLE) {
        steps.emplace_back(Convert4BitRLETo4BitRGB);
        current = zdPf4Bit;
    } else if (current == zdPf8BitRLE) {
        steps.emplace_back(Convert8BitRLETo8BitRGB);
        current = zdPf8Bit;
    }
    if (target == zdPfHalftone || target == zdPfHalftoneBW) {
        steps.emplace_back(target == zdPfHalftone ? ConvertToHalfTone : ConvertToHalfToneBW);
        return steps;
    }
    ZDDIB_ASSERT(target <= zdPf24Bit, kFormatError);
    const TZdPixelFormat plainTarget = target == zdPf4BitRLE ? zdPf4Bit : target == zdPf8BitRLE ? zdPf8Bit : target;
    if (current != plainTarget) steps.push_back(PlainStep(current, plainTarget, settings));
    if (target == zdPf4BitRLE) steps.emplace_back(Convert4BitRGBTo4BitRLE);
    if (target == zdPf8BitRLE) steps.emplace_back(Convert8BitRGBTo8BitRLE);
    return steps;
}

struct ProgressReport {
    int total;
    std::string message;
};

// Conversions that compute a palette report one step per palette leaf.
std::optional<ProgressReport> ProgressReportOf(TZdPixelFormat current, TZdPixelFormat target) {
    static constexpr const char* kNames[] = {"1Bit", "4Bit", "4BitRLE", "8Bit", "8BitRLE", "24Bit"};
    const bool to4Bit = target == zdPf4Bit || target == zdPf4BitRLE;
    const bool to8Bit = target == zdPf8Bit || target == zdPf8BitRLE;
    const bool from8Bit = current == zdPf8Bit || current == zdPf8BitRLE;
    if (!((current == zdPf24Bit && (to4Bit || to8Bit)) || (from8Bit && to4Bit))) return std::nullopt;
    return ProgressReport{to4Bit ? 16 : 256, std::string("PixelFormat ") + kNames[current] + " -> " + kNames[target]};
}

}  // namespace

void TZdDIB::SetPixelFormat(TZdPixelFormat format) {
    const TZdPixelFormat current = PixelFormat();
    if (current == format) return;

    // The converted picture goes into a new storage, so an image that shares
    // the old one keeps it, and a failure leaves this image as it was.
    const auto convert = [&](const ConversionProgress& progress) {
        const ConversionSettings settings{ConvertMode, ResolveColor(MonoKeyColor), progress};
        const std::vector<Step> steps = ConversionChain(current, format, settings);
        std::unique_ptr<TZdInternalDIB> converted;
        for (std::size_t i = 0; i < steps.size(); ++i) {
            // Only the final picture needs the image's kind of pixel memory.
            auto next = i + 1 == steps.size() ? NewInternalDIB() : std::make_unique<TZdInternalDIB>(false);
            next->Install(steps[i](converted ? converted->Info : InternalDIB().Info, next->UseFMO));
            converted = std::move(next);
        }
        ReplaceInternalDIB(std::move(converted));
    };
    GuardAllocations([&] {
        if (const std::optional<ProgressReport> report = ProgressReportOf(current, format))
            ReportProgress(report->total, report->message, convert);
        else
            convert(ConversionProgress());
    });
    Changed();
}

}  // namespace imvexa
