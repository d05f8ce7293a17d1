#include "BmpFileWriter.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "Owners.h"

BitmapSummary WriteBitmapFile(HBITMAP bitmap, const std::wstring& path) {
    BITMAP object{};
    if (!GetObjectW(bitmap, sizeof object, &object)) throw std::runtime_error("GetObject failed on the bitmap");
    BitmapSummary summary{object.bmWidth, object.bmHeight, object.bmBitsPixel * object.bmPlanes};

    const int colors = summary.bitsPerPixel <= 8 ? 1 << summary.bitsPerPixel : 0;
    std::vector<unsigned char> info(sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * 256);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = summary.width;
    header->biHeight = summary.height;
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(summary.bitsPerPixel);
    header->biCompression = BI_RGB;

    const DWORD stride = ((static_cast<DWORD>(summary.width) * summary.bitsPerPixel + 31) / 32) * 4;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(stride) * summary.height);
    const int lines = GetDIBits(imvexa::win32::ClientDC().Get(), bitmap, 0, static_cast<UINT>(summary.height),
                                pixels.data(), reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
    if (lines != summary.height) throw std::runtime_error("GetDIBits failed on the bitmap");
    header->biClrUsed = static_cast<DWORD>(colors);
    header->biSizeImage = static_cast<DWORD>(pixels.size());

    const DWORD headerBytes = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * colors;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = headerBytes;
    file.bfSize = headerBytes + static_cast<DWORD>(pixels.size());

    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) throw std::runtime_error("cannot create the output file");
    const bool written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                         std::fwrite(info.data(), sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * colors, 1, out) == 1 &&
                         std::fwrite(pixels.data(), pixels.size(), 1, out) == 1;
    if (std::fclose(out) != 0 || !written) throw std::runtime_error("cannot write the output file");
    return summary;
}
