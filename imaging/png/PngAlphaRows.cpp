#include "PngAlphaRows.h"

#include <algorithm>
#include <array>
#include <memory>

namespace imvexa::png {

namespace {

using Bgra = std::array<std::uint8_t, 4>;

// Greyscale or truecolour samples with an alpha channel. Sample is the
// distance of two samples (1 for 8 bits, 2 for 16 bits: the high byte comes
// first); Grey tells one colour sample from three.
template <int Sample, bool Grey>
void WithAlphaChannel(const std::uint8_t* in, std::uint8_t* out, std::int64_t count) {
    constexpr int kColors = Grey ? 1 : 3;
    for (std::int64_t i = 0; i < count; ++i, in += (kColors + 1) * Sample, out += 4) {
        out[0] = in[(kColors - 1) * Sample];
        out[1] = in[(kColors / 2) * Sample];
        out[2] = in[0];
        out[3] = in[kColors * Sample];
    }
}

// Samples of 1, 2, 4 or 8 bits (palette indexes or grey levels), each
// looked up in a table of 2^bits pixels.
ConvertPixels LookUp(int bits, std::shared_ptr<const std::array<Bgra, 256>> table) {
    return [bits, table](const std::uint8_t* in, std::uint8_t* out, std::int64_t count) {
        const int mask = (1 << bits) - 1;
        for (std::int64_t i = 0; i < count; ++i, out += 4) {
            const std::int64_t bit = i * bits;
            const int sample = in[bit / 8] >> (8 - bits - bit % 8) & mask;
            const Bgra& pixel = (*table)[static_cast<std::size_t>(sample)];
            std::copy(pixel.begin(), pixel.end(), out);
        }
    };
}

std::uint16_t Sample16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] << 8 | at[1]); }

// Greyscale (colors 1) or truecolour (colors 3) samples of 8 or 16 bits
// without alpha: transparent where every sample equals the key.
ConvertPixels KeyedColor(int bitDepth, int colors, std::array<std::uint16_t, 3> key) {
    const int sample = bitDepth / 8;
    return [sample, colors, key](const std::uint8_t* in, std::uint8_t* out, std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i, in += colors * sample, out += 4) {
            bool keyed = true;
            for (int c = 0; c < colors; ++c)
                keyed = keyed && (sample == 2 ? Sample16(in + 2 * c) : in[c]) == key[static_cast<std::size_t>(c)];
            out[0] = in[(colors - 1) * sample];
            out[1] = in[(colors / 2) * sample];
            out[2] = in[0];
            out[3] = keyed ? 0 : 255;
        }
    };
}

std::shared_ptr<std::array<Bgra, 256>> PaletteTable(std::span<const PaletteEntry> palette,
                                                    std::span<const std::uint8_t> transparency) {
    auto table = std::make_shared<std::array<Bgra, 256>>();
    for (std::size_t i = 0; i < table->size(); ++i) {
        const PaletteEntry color = i < palette.size() ? palette[i] : PaletteEntry{};
        (*table)[i] = {color.blue, color.green, color.red, i < transparency.size() ? transparency[i] : std::uint8_t{255}};
    }
    return table;
}

// Grey levels spread over 0..255 as the opaque rows' grey ramp spreads them.
std::shared_ptr<std::array<Bgra, 256>> GreyTable(int bitDepth, int key) {
    auto table = std::make_shared<std::array<Bgra, 256>>();
    const int top = (1 << bitDepth) - 1;
    for (int i = 0; i <= top; ++i) {
        const auto grey = static_cast<std::uint8_t>(i * (255 / top));
        (*table)[static_cast<std::size_t>(i)] = {grey, grey, grey, static_cast<std::uint8_t>(i == key ? 0 : 255)};
    }
    return table;
}

RowFormat AlphaFormat(int rawBits, ConvertPixels convert) {
    return RowFormat{32, rawBits, rawBits > 32 ? rawBits : 32, std::move(convert)};
}

}  // namespace

std::optional<RowFormat> ChooseAlphaRowFormat(int colorTypeBase, bool alpha, int bitDepth,
                                              std::span<const PaletteEntry> palette,
                                              std::span<const std::uint8_t> transparency) {
    const bool wide = bitDepth == 16;
    if (alpha && colorTypeBase == 0)
        return wide ? AlphaFormat(32, WithAlphaChannel<2, true>) : AlphaFormat(16, WithAlphaChannel<1, true>);
    if (alpha) return wide ? AlphaFormat(64, WithAlphaChannel<2, false>) : AlphaFormat(32, WithAlphaChannel<1, false>);
    switch (colorTypeBase) {
        case 0:
            if (transparency.size() != 2) return std::nullopt;
            if (wide) return AlphaFormat(16, KeyedColor(16, 1, {Sample16(transparency.data()), 0, 0}));
            return AlphaFormat(bitDepth, LookUp(bitDepth, GreyTable(bitDepth, Sample16(transparency.data()))));
        case 2:
            if (transparency.size() != 6) return std::nullopt;
            return AlphaFormat(3 * bitDepth, KeyedColor(bitDepth, 3,
                                                        {Sample16(transparency.data()), Sample16(transparency.data() + 2),
                                                         Sample16(transparency.data() + 4)}));
        default:
            if (transparency.empty() || transparency.size() > palette.size()) return std::nullopt;
            return AlphaFormat(bitDepth, LookUp(bitDepth, PaletteTable(palette, transparency)));
    }
}

}  // namespace imvexa::png
