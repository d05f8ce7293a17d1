#include "BmpFileWriter.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "BmpBuilder.h"
#include "Owners.h"
#include "PngBuilder.h"

namespace {

struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

BitmapSummary SummaryOf(HBITMAP bitmap) {
    BITMAP object{};
    if (!GetObjectW(bitmap, sizeof object, &object)) throw std::runtime_error("GetObject failed on the bitmap");
    return {object.bmWidth, object.bmHeight, object.bmBitsPixel * object.bmPlanes};
}

void WriteFileBytes(const std::vector<std::uint8_t>& file, const std::wstring& path) {
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) throw std::runtime_error("cannot create the output file");
    const bool written = std::fwrite(file.data(), file.size(), 1, out) == 1;
    if (std::fclose(out) != 0 || !written) throw std::runtime_error("cannot write the output file");
}

}  // namespace

BitmapSummary WriteBitmapFile(HBITMAP bitmap, const std::wstring& path) {
    const BitmapSummary summary = SummaryOf(bitmap);

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
    WriteFileBytes(file, path);
    return summary;
}

BitmapSummary WritePngFile(HBITMAP bitmap, const std::wstring& path) {
    const BitmapSummary summary = SummaryOf(bitmap);
    if (summary.bitsPerPixel != 32) throw std::runtime_error("a PNG file is written from a 32-bit bitmap only");
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), summary.width, -summary.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(summary.width) * 4 * summary.height);
    const int lines = GetDIBits(imvexa::win32::ClientDC().Get(), bitmap, 0, static_cast<UINT>(summary.height),
                                pixels.data(), &info, DIB_RGB_COLORS);
    if (lines != summary.height) throw std::runtime_error("GetDIBits failed on the bitmap");

    imvexa::test::png::Image image{summary.width, summary.height, 6, 8, {}};
    for (int y = 0; y < summary.height; ++y) {
        const std::uint8_t* pixel = pixels.data() + static_cast<std::size_t>(y) * summary.width * 4;
        auto& row = image.rows.emplace_back();
        for (int x = 0; x < summary.width; ++x, pixel += 4)
            row.insert(row.end(), {pixel[2], pixel[1], pixel[0], pixel[3]});
    }
    WriteFileBytes(imvexa::test::png::PngBuilder(std::move(image)).Build(), path);
    return summary;
}
