#include "JPEGDecompressor.h"

#include <string>

#include "JPEGError.h"
#include "PixelLimits.h"

namespace imvexa {

namespace {

constexpr int kMaxScans = 500;

// Called by the library as it works; the counters that PercentDone reads are
// kept by the library itself.
void WatchScans(j_common_ptr common) {
    if (reinterpret_cast<j_decompress_ptr>(common)->input_scan_number <= kMaxScans) return;
    reinterpret_cast<JPEGScanWatch*>(common->progress)->tooManyScans = true;
    common->err->error_exit(common);
}

}  // namespace

template <class Call>
void JPEGDecompressor::Run(Call call) {
    if (RunWithoutFatalError(errors_, call)) return;
    if (progress_.tooManyScans) throw EJPEG("JPEG image has more than " + std::to_string(kMaxScans) + " scans");
    throw EJPEG::FromLibraryCode(errors_.library.msg_code);
}

JPEGDecompressor::JPEGDecompressor(const std::uint8_t* data, std::size_t size) {
    context_.err = InstallErrorManager(errors_);
    try {
        Run([this] { jpeg_create_decompress(&context_); });
    } catch (...) {
        jpeg_destroy_decompress(&context_);
        throw;
    }
    // The library's own whole-picture buffers (the coefficients of a
    // progressive file, two-pass quantization) stay within the pixel limit.
    context_.mem->max_memory_to_use = static_cast<long>(kMaxPixelBytes);
    progress_.library.progress_monitor = WatchScans;
    context_.progress = &progress_.library;
    AttachMemorySource(&context_, source_, data, size);
}

JPEGDecompressor::~JPEGDecompressor() {
    jpeg_destroy_decompress(&context_);
}

void JPEGDecompressor::ReadHeader() {
    Run([this] { jpeg_read_header(&context_, TRUE); });
}

bool JPEGDecompressor::HasMultipleScans() {
    bool multiple = false;
    Run([this, &multiple] { multiple = jpeg_has_multiple_scans(&context_) != FALSE; });
    return multiple;
}

void JPEGDecompressor::CalculateOutputSize() {
    Run([this] { jpeg_calc_output_dimensions(&context_); });
}

void JPEGDecompressor::Start() {
    Run([this] { jpeg_start_decompress(&context_); });
}

int JPEGDecompressor::ReadRows(JSAMPROW* rows, int count) {
    JDIMENSION read = 0;
    Run([this, rows, count, &read] { read = jpeg_read_scanlines(&context_, rows, static_cast<JDIMENSION>(count)); });
    return static_cast<int>(read);
}

void JPEGDecompressor::Finish() {
    Run([this] { jpeg_finish_decompress(&context_); });
}

void JPEGDecompressor::StartOutputPass() {
    Run([this] { jpeg_start_output(&context_, context_.input_scan_number); });
}

void JPEGDecompressor::FinishOutputPass() {
    Run([this] { jpeg_finish_output(&context_); });
}

bool JPEGDecompressor::InputComplete() {
    bool complete = false;
    Run([this, &complete] { complete = jpeg_input_complete(&context_) != FALSE; });
    return complete;
}

int JPEGDecompressor::PercentDone() const {
    if (progress_.library.total_passes <= 0 || progress_.library.pass_limit <= 0) return 0;
    const std::int64_t limit = progress_.library.pass_limit;
    const std::int64_t done = progress_.library.completed_passes * limit + progress_.library.pass_counter;
    return static_cast<int>(100 * done / (limit * progress_.library.total_passes));
}

}  // namespace imvexa
