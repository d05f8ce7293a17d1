#pragma once
// How a JPEG file is decoded: the settings of the JPEG graphic, which the
// decoding function takes as they are, and the default pixel format they
// start with.
namespace imvexa {

enum class TJPEGPixelFormat { Bit24, Bit8 };
enum class TJPEGPerformance { BestQuality, BestSpeed };
// Output scale 1/2^n.
enum class TJPEGScale { FullSize, Half, Quarter, Eighth };

// The pixel format new graphics start with. 24-bit until module start on
// Windows sets the display's: SetDefaultJPEGPixelFormat(
// JPEGPixelFormatForDisplay(GetDeviceCaps(dc, BITSPIXEL), GetDeviceCaps(dc, PLANES))).
TJPEGPixelFormat DefaultJPEGPixelFormat();
void SetDefaultJPEGPixelFormat(TJPEGPixelFormat format);
// 8-bit for a display of at most 8 bits per pixel over all planes, else 24-bit.
TJPEGPixelFormat JPEGPixelFormatForDisplay(int bitsPerPixel, int planes);

struct TJPEGSettings {
    int CompressionQuality = 90;  // used only when encoding
    bool Grayscale = false;       // grey output (8 bits, 236 grey levels)
    TJPEGPerformance Performance = TJPEGPerformance::BestQuality;
    // 8-bit quantizes the colours to 236; greyscale files always give 8 bits.
    TJPEGPixelFormat PixelFormat = DefaultJPEGPixelFormat();
    // Files of several scans are shown pass by pass while decoding.
    bool ProgressiveDisplay = false;
    // Whether the file has several scans; set when a file is loaded.
    bool ProgressiveEncoding = false;
    TJPEGScale Scale = TJPEGScale::FullSize;
    bool Smoothing = true;  // block smoothing of progressive files
};

}  // namespace imvexa
