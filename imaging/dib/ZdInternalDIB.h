#pragma once
// The reference-counted pixel storage that several TZdDIB images may share.
// A storage with RefCount > 1 is read-only: every writer first takes its own
// copy (TZdDIB::UniqueDIB) or builds a new storage.
#include <cstdint>
#include <memory>

#include "Palette.h"
#include "Stream.h"
#include "ZdDIBTypes.h"

namespace imvexa {

class TZdInternalDIB {
public:
    // An empty storage without pixel block; useFMO fixes whether its pixel
    // blocks are shared-memory mappings or heap blocks.
    explicit TZdInternalDIB(bool useFMO) : UseFMO(useFMO) {}
    ~TZdInternalDIB();
    TZdInternalDIB(const TZdInternalDIB&) = delete;
    TZdInternalDIB& operator=(const TZdInternalDIB&) = delete;

    // Lays out a blank picture: all pixels and colour entries zero, colorCount
    // entries in use, 96 dots per inch. A negative height gives top-down rows.
    // Raises EZdDIBInvalidDIBPara "TZdInternalDIB.CreateDIB: Invalid
    // Parameters" unless width > 0, height != 0, 0 <= colorCount <= 256, the
    // bit count is 1, 4, 8 or 24 and the picture fits the pixel limits.
    void CreateDIB(std::int32_t width, std::int32_t height, std::int32_t colorCount, int bitCount);
    // Replaces the picture by a complete info record, whose pixel block this
    // storage owns from now on.
    void Install(const TZdDIBInfo& info) noexcept;
    // Frees the pixel block and the cached palette.
    void ReleaseBits() noexcept;
    // Drops the cached palette after the colour table changed.
    void UpdatePalette();
    // A storage with the same picture in a pixel block of its own; the palette
    // cache is not copied.
    std::unique_ptr<TZdInternalDIB> Copy() const;

    // The pixel format named by bit count and compression; EZdDIBInvalidDIB
    // for any other combination.
    TZdPixelFormat PixelFormat() const;
    // The palette made from the colour table, built on first use and cached;
    // null when no colour is in use.
    PaletteHandle GetPalette();

    // Reads one BMP file at the stream's position (ZdDIBRead.cpp); on failure
    // the storage is unchanged.
    void LoadFromStream(TStream& stream);
    // Writes the picture as a BMP file, compressed data as it is (ZdDIBWrite.cpp).
    void SaveToStream(TStream& stream) const;

    std::int32_t RefCount = 1;
    std::int32_t Width = 0;
    std::int32_t Height = 0;  // |biHeight|
    PaletteHandle Palette = nullptr;  // cached palette, owned
    TZdDIBInfo Info;
    bool PaletteChanged = true;  // moved into the owning image's PaletteModified
    const bool UseFMO;
};

// A new palette with the first biClrUsed colours of the record; null when
// biClrUsed is 0. Raises EOutOfResources "GetPaletteFromDIBInfos: Cannot Make
// Palette" when the platform refuses.
PaletteHandle GetPaletteFromDIBInfos(const TZdDIBInfo& info);

// The pixel format named by the header's bit count and compression;
// EZdDIBInvalidDIB for any other combination.
TZdPixelFormat PixelFormatOf(const BitmapInfoHeader& header);

// Bytes of one row of a DIB with this header.
std::int64_t DIBStride(const BitmapInfoHeader& header);
// The first byte of picture row y (0 = the top row, 0 <= y < |biHeight|) of
// an uncompressed DIB, whatever its row order in memory.
std::uint8_t* DIBRow(const TZdDIBInfo& info, std::int64_t y);

}  // namespace imvexa
