// Packed DIBs (CF_DIB) to and from global memory and the system clipboard.
#include <algorithm>
#include <cstring>

#include "Owners.h"
#include "RuntimeErrors.h"
#include "ZdDIB.h"
#include "ZdDIBRead.h"

namespace imvexa {

namespace {

[[noreturn]] void InvalidData() { throw EZdDIBInvalidDIB("TZdDIB.LoadFromClipboardFormat: Invalid Clipboard Data"); }

// Reads the header (turned into the 40-byte form), the masks of bit-field
// pixels and the colours; returns where the pixels start (header and colour
// table, colours past the 256th included).
std::int64_t ReadPackedHeader(TStream& stream, TZdDIBInfo& info, BitFieldMasks& masks) {
    std::uint32_t headerSize = 0;
    stream.ReadBuffer(&headerSize, sizeof headerSize);
    BitmapInfoHeader& header = info.Header;
    if (headerSize == sizeof(BitmapInfoHeader)) {
        stream.ReadBuffer(reinterpret_cast<std::uint8_t*>(&header) + 4, sizeof header - 4);
        header.biSize = headerSize;
        const int bits = header.biBitCount;
        const std::uint64_t colors = header.biClrUsed ? header.biClrUsed : (bits <= 8 ? 1u << bits : 0);
        const bool hasMasks = header.biCompression == kBiBitFields;
        if (hasMasks) stream.ReadBuffer(&masks, sizeof masks);
        const std::uint64_t stored = std::min<std::uint64_t>(colors, kMaxColors);
        stream.ReadBuffer(info.Colors, stored * sizeof(RgbQuad));
        if (header.biXPelsPerMeter == 0) header.biXPelsPerMeter = kDefaultPelsPerMeter;
        if (header.biYPelsPerMeter == 0) header.biYPelsPerMeter = kDefaultPelsPerMeter;
        header.biClrUsed = static_cast<std::uint32_t>(stored);
        return static_cast<std::int64_t>(headerSize + (hasMasks ? sizeof masks : 0) + colors * sizeof(RgbQuad));
    }
    if (headerSize == sizeof(BitmapCoreHeader)) {
        BitmapCoreHeader core{};
        stream.ReadBuffer(reinterpret_cast<std::uint8_t*>(&core) + 4, sizeof core - 4);
        const int colors = core.bcBitCount == 1 || core.bcBitCount == 4 || core.bcBitCount == 8 ? 1 << core.bcBitCount : 0;
        RgbTriple triples[kMaxColors];
        stream.ReadBuffer(triples, static_cast<std::size_t>(colors) * sizeof(RgbTriple));
        for (int i = 0; i < colors; ++i)
            info.Colors[i] = RgbQuad{triples[i].rgbtBlue, triples[i].rgbtGreen, triples[i].rgbtRed, 0};
        header = BitmapInfoHeader{sizeof(BitmapInfoHeader), core.bcWidth, core.bcHeight, core.bcPlanes,
                                  core.bcBitCount, kBiRgb, 0, kDefaultPelsPerMeter, kDefaultPelsPerMeter,
                                  static_cast<std::uint32_t>(colors), 0};
        return static_cast<std::int64_t>(sizeof core + static_cast<std::size_t>(colors) * sizeof(RgbTriple));
    }
    InvalidData();
}

}  // namespace

void TZdDIB::LoadFromClipboardFormat(std::uint16_t format, HANDLE data, PaletteHandle) {
    if (format != kClipboardFormat || !data)
        throw EInvalidGraphic("TZdDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
    const win32::LockedGlobal block(data);
    if (!block.Data()) InvalidData();
    TBorrowedMemoryStream stream(block.Data(), block.Size());
    TZdDIBInfo info;
    BitFieldMasks masks{};
    const std::int64_t pixelsStart = ReadPackedHeader(stream, info, masks);
    if (pixelsStart > static_cast<std::int64_t>(block.Size())) InvalidData();
    const int bits = info.Header.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromClipboardFormat: Invalid biBitCount");
    stream.Seek(pixelsStart, SeekOrigin::Begin);

    auto storage = NewInternalDIB();
    ReadPixelData(stream, masks, static_cast<std::int64_t>(block.Size()) - pixelsStart, info, storage->UseFMO);
    storage->Install(info);
    ReplaceInternalDIB(std::move(storage));
    Changed();
}

void TZdDIB::SaveToClipboardFormat(std::uint16_t& format, HANDLE& data, PaletteHandle& palette) {
    const TZdDIBInfo& info = Storage("SaveToClipboardFormat").Info;
    const std::size_t colors = info.Header.biClrUsed * sizeof(RgbQuad);
    const std::size_t bits = static_cast<std::size_t>(info.BitsSize);
    win32::GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof info.Header + colors + bits));
    {
        const win32::LockedGlobal locked(block.Get());
        auto* target = static_cast<std::uint8_t*>(locked.Data());
        if (!target) throw EOutOfMemory("TZdInternalDIB.SaveToClipboardFormat: Out Of Memory");
        std::memcpy(target, &info.Header, sizeof info.Header);
        std::memcpy(target + sizeof info.Header, info.Colors, colors);
        std::memcpy(target + sizeof info.Header + colors, info.Bits, bits);
    }
    format = kClipboardFormat;
    data = block.Release();  // the caller's block from here on
    palette = nullptr;
}

void TZdDIB::LoadFromClipboard() {
    if (!OpenClipboard(nullptr)) throw EInvalidGraphic("TZdDIB.LoadFromClipboard: Cannot Open Clipboard");
    struct Closer {
        ~Closer() { CloseClipboard(); }
    } closer;
    HANDLE data = GetClipboardData(ClipboardFormat());
    auto palette = reinterpret_cast<PaletteHandle>(GetClipboardData(CF_PALETTE));
    LoadFromClipboardFormat(ClipboardFormat(), data, palette);
}

}  // namespace imvexa
