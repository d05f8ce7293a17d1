// Packed DIBs (CF_DIB) to and from global memory and the system clipboard.
#include <algorithm>
#include <cstring>

#include "RuntimeErrors.h"
#include "ZdDIB.h"
#include "ZdDIBRead.h"

namespace imvexa {

namespace {

class LockedGlobal {
public:
    explicit LockedGlobal(HANDLE handle) : handle_(handle), data_(GlobalLock(handle)) {}
    ~LockedGlobal() {
        if (data_) GlobalUnlock(handle_);
    }
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;
    const void* Data() const { return data_; }
    std::size_t Size() const { return data_ ? GlobalSize(handle_) : 0; }

private:
    HANDLE handle_;
    void* data_;
};

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
    const LockedGlobal block(data);
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
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof info.Header + colors + bits);
    auto* target = block ? static_cast<std::uint8_t*>(GlobalLock(block)) : nullptr;
    if (!target) {
        if (block) GlobalFree(block);
        throw EOutOfMemory("TZdInternalDIB.SaveToClipboardFormat: Out Of Memory");
    }
    std::memcpy(target, &info.Header, sizeof info.Header);
    std::memcpy(target + sizeof info.Header, info.Colors, colors);
    std::memcpy(target + sizeof info.Header + colors, info.Bits, bits);
    GlobalUnlock(block);
    format = kClipboardFormat;
    data = block;
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
