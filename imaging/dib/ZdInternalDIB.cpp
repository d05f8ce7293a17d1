#include "ZdInternalDIB.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "Bitmap.h"
#include "PixelLimits.h"
#include "PixelMemory.h"
#include "ZdDIBErrors.h"

namespace imvexa {

namespace {

bool IsStorableBitCount(int bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
}

}  // namespace

std::int64_t DIBStride(const BitmapInfoHeader& header) {
    return RowStride(header.biWidth, header.biBitCount);
}

std::uint8_t* DIBRow(const TZdDIBInfo& info, std::int64_t y) {
    const std::int64_t memoryRow = info.Header.biHeight > 0 ? info.Header.biHeight - 1 - y : y;
    return info.Bits + memoryRow * DIBStride(info.Header);
}

TZdInternalDIB::~TZdInternalDIB() {
    ReleaseBits();
}

void TZdInternalDIB::CreateDIB(std::int32_t width, std::int32_t height, std::int32_t colorCount, int bitCount) {
    const std::int64_t rows = std::abs(std::int64_t{height});
    const std::int64_t stride = RowStride(width, bitCount);
    if (!IsStorableBitCount(bitCount) || colorCount < 0 || colorCount > kMaxColors ||
        !WithinPixelLimits(width, rows, stride))
        throw EZdDIBInvalidDIBPara("TZdInternalDIB.CreateDIB: Invalid Parameters");

    PixelBlock block(stride * rows, UseFMO);
    TZdDIBInfo info;
    info.Header.biSize = sizeof(BitmapInfoHeader);
    info.Header.biWidth = width;
    info.Header.biHeight = height;
    info.Header.biPlanes = 1;
    info.Header.biBitCount = static_cast<std::uint16_t>(bitCount);
    info.Header.biCompression = kBiRgb;
    info.Header.biXPelsPerMeter = kDefaultPelsPerMeter;
    info.Header.biYPelsPerMeter = kDefaultPelsPerMeter;
    info.Header.biClrUsed = static_cast<std::uint32_t>(colorCount);
    block.HandTo(info);
    Install(info);
}

void TZdInternalDIB::Install(const TZdDIBInfo& info) noexcept {
    ReleaseBits();
    Info = info;
    Width = info.Header.biWidth;
    Height = std::abs(info.Header.biHeight);
    PaletteChanged = true;
}

void TZdInternalDIB::ReleaseBits() noexcept {
    ReleaseMemory(Info.MapHandle, Info.Bits, Info.BitsSize);
    Info.BitsSize = 0;
    Info.MapHandle = nullptr;
    Info.Bits = nullptr;
    DeletePaletteHandle(Palette);
    Palette = nullptr;
}

void TZdInternalDIB::UpdatePalette() {
    ZDDIB_ASSERT(RefCount == 1, "TZdInternalDIB.UpdatePalette: RefCount Must be 1");
    DeletePaletteHandle(Palette);
    Palette = nullptr;
    PaletteChanged = true;
}

std::unique_ptr<TZdInternalDIB> TZdInternalDIB::Copy() const {
    auto copy = std::make_unique<TZdInternalDIB>(UseFMO);
    PixelBlock block(Info.BitsSize, UseFMO);
    std::memcpy(block.Bits(), Info.Bits, static_cast<std::size_t>(Info.BitsSize));
    TZdDIBInfo info = Info;
    block.HandTo(info);
    copy->Install(info);
    return copy;
}

TZdPixelFormat TZdInternalDIB::PixelFormat() const {
    return PixelFormatOf(Info.Header);
}

TZdPixelFormat PixelFormatOf(const BitmapInfoHeader& header) {
    const std::uint32_t compression = header.biCompression;
    switch (header.biBitCount) {
        case 1:
            if (compression == kBiRgb) return zdPf1Bit;
            throw EZdDIBInvalidDIB("TZdInternalDIB.GetPixelFormat: Invalid DIB(1Bit)");
        case 4:
            if (compression == kBiRgb) return zdPf4Bit;
            if (compression == kBiRle4) return zdPf4BitRLE;
            throw EZdDIBInvalidDIB("TZdInternalDIB.GetPixelFormat: Invalid DIB(4Bit)");
        case 8:
            if (compression == kBiRgb) return zdPf8Bit;
            if (compression == kBiRle8) return zdPf8BitRLE;
            throw EZdDIBInvalidDIB("TZdInternalDIB.GetPixelFormat: Invalid DIB(8Bit)");
        case 24:
            if (compression == kBiRgb) return zdPf24Bit;
            throw EZdDIBInvalidDIB("TZdInternalDIB.GetPixelFormat: Invalid DIB(24Bit)");
        default: throw EZdDIBInvalidDIB("TZdInternalDIB.GetPixelFormat: Invalid DIB(Illegal BitCount)");
    }
}

PaletteHandle TZdInternalDIB::GetPalette() {
    if (Palette == nullptr) Palette = GetPaletteFromDIBInfos(Info);
    return Palette;
}

PaletteHandle GetPaletteFromDIBInfos(const TZdDIBInfo& info) {
    const int count = static_cast<int>(std::min<std::uint32_t>(info.Header.biClrUsed, kMaxColors));
    if (count == 0) return nullptr;
    PaletteEntry entries[kMaxColors];
    for (int i = 0; i < count; ++i)
        entries[i] = PaletteEntry{info.Colors[i].rgbRed, info.Colors[i].rgbGreen, info.Colors[i].rgbBlue, 0};
    PaletteHandle palette = CreatePaletteHandle(entries, count);
    if (palette == nullptr) throw EOutOfResources("GetPaletteFromDIBInfos: Cannot Make Palette");
    return palette;
}

}  // namespace imvexa
