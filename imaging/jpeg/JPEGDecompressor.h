#pragma once
// One libjpeg decompression of a compressed file held in memory. Every
// library call runs under the error manager's jump point, so a fatal library
// error surfaces as EJPEG in C++ code; the destructor releases the library's
// context on every path. Files of more than 500 scans are refused: each scan
// costs a pass over the whole picture.
#include <cstddef>
#include <cstdint>

#include "JPEGErrorManager.h"
#include "JPEGLibrary.h"
#include "JPEGMemorySource.h"

namespace imvexa {

// The progress hook's record: the library's counters and whether the scan
// limit stopped the decompression.
struct JPEGScanWatch {
    jpeg_progress_mgr library;  // first member: the library sees only this part
    bool tooManyScans;
};

class JPEGDecompressor {
public:
    // Creates the context (with the library's version check) reading the
    // size bytes at data, which must outlive it.
    JPEGDecompressor(const std::uint8_t* data, std::size_t size);
    ~JPEGDecompressor();
    JPEGDecompressor(const JPEGDecompressor&) = delete;
    JPEGDecompressor& operator=(const JPEGDecompressor&) = delete;

    // The decompression parameters and results.
    jpeg_decompress_struct& Context() { return context_; }

    // Reads the header up to the first scan; an image is required.
    void ReadHeader();
    bool HasMultipleScans();
    void CalculateOutputSize();
    void Start();
    // Reads up to count output rows into rows[0..count); returns how many came.
    int ReadRows(JSAMPROW* rows, int count);
    void Finish();

    // Buffered-image mode: one output pass of the scan being read.
    void StartOutputPass();
    void FinishOutputPass();
    bool InputComplete();

    // How much of the decompression is done, from the library's counters.
    int PercentDone() const;

private:
    template <class Call>
    void Run(Call call);

    jpeg_decompress_struct context_{};
    JPEGErrorManager errors_{};
    JPEGMemorySource source_{};
    JPEGScanWatch progress_{};
};

}  // namespace imvexa
