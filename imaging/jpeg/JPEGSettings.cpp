#include "JPEGSettings.h"

#include <atomic>

namespace imvexa {

namespace {

std::atomic<TJPEGPixelFormat> defaultPixelFormat{TJPEGPixelFormat::Bit24};

}  // namespace

TJPEGPixelFormat DefaultJPEGPixelFormat() {
    return defaultPixelFormat.load();
}

void SetDefaultJPEGPixelFormat(TJPEGPixelFormat format) {
    defaultPixelFormat.store(format);
}

TJPEGPixelFormat JPEGPixelFormatForDisplay(int bitsPerPixel, int planes) {
    return bitsPerPixel * planes <= 8 ? TJPEGPixelFormat::Bit8 : TJPEGPixelFormat::Bit24;
}

}  // namespace imvexa
