#pragma once
#include <windows.h>

#include <string>

struct BitmapSummary {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};

// Writes the bitmap as a bottom-up BMP file in its own bit depth, with its
// colour table at 8 bits or less. Throws std::runtime_error on failure.
BitmapSummary WriteBitmapFile(HBITMAP bitmap, const std::wstring& path);

// Writes a 32-bit bitmap of blue, green, red and alpha bytes as an RGBA PNG
// file (8 bits per sample, alpha as it is). Throws std::runtime_error on failure.
BitmapSummary WritePngFile(HBITMAP bitmap, const std::wstring& path);
