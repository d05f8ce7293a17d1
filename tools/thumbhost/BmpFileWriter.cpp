#include "BmpFileWriter.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "BmpBuilder.h"
#include "Owners.h"

namespace {

struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

}  // namespace

BitmapSummary WriteBitmapFile(HBITMAP bitmap, const std::wstring& path) {
    BITMAP object{};
    if (!GetObjectW(bitmap, sizeof object, &object)) throw std::runtime_error("GetObject failed on the bitmap");
    BitmapSummary summary{object.bmWidth, object.bmHeight, object.bmBitsPixel * object.bmPlanes};

    BitmapInfo256 info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = summary.width;
    info.header.biHeight = summary.height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(summary.bitsPerPixel);
    info.header.biCompression = BI_RGB;
    const std::size_t stride = (static_cast<std::size_t>(summary.width) * summary.bitsPerPixel + 31) / 32 * 4;
    imvexa::test::Bytes pixels(stride * static_cast<std::size_t>(summary.height));
    const int lines = GetDIBits(imvexa::win32::ClientDC().Get(), bitmap, 0, static_cast<UINT>(summary.height),
                                pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    if (lines != summary.height) throw std::runtime_error("GetDIBits failed on the bitmap");

    std::vector<std::uint32_t> colors;
    for (int i = 0; summary.bitsPerPixel <= 8 && i < 1 << summary.bitsPerPixel; ++i) {
        const RGBQUAD& color = info.colors[i];
        colors.push_back(std::uint32_t{color.rgbRed} << 16 | std::uint32_t{color.rgbGreen} << 8 | color.rgbBlue);
    }
    const imvexa::test::Bytes file = imvexa::test::BmpBuilder()
                                         .Size(summary.width, summary.height)
                                         .Bits(static_cast<std::uint16_t>(summary.bitsPerPixel))
                                         .ColorsUsed(static_cast<std::uint32_t>(colors.size()))
                                         .Colors(std::move(colors))
                                         .Pixels(std::move(pixels))
                                         .Build();

    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) throw std::runtime_error("cannot create the output file");
    const bool written = std::fwrite(file.data(), file.size(), 1, out) == 1;
    if (std::fclose(out) != 0 || !written) throw std::runtime_error("cannot write the output file");
    return summary;
}
