#pragma once
// Helpers of the conversion and reduction tests: painting pictures, setting
// colour tables and recording progress reports.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace imvexa::test {

// Runs action and checks that it fails the library's internal assertion text.
template <class Action>
void ExpectAssertion(Action&& action, const std::string& text) {
    try {
        action();
        ADD_FAILURE() << "no assertion failure; expected \"" << text << "\"";
    } catch (const EAssertionFailed& error) {
        EXPECT_EQ(std::string(error.what()).rfind(text + " (ZdDIB, line ", 0), 0u) << error.what();
    }
}

// Colours are written 0xRRGGBB here, as people read them; Pixels of a 24-bit
// image returns 0x00BBGGRR.
constexpr std::uint32_t Bgr(std::uint32_t rgb) {
    return (rgb & 0xFF) << 16 | (rgb & 0xFF00) | rgb >> 16;
}

// Makes image a blank picture of width × height (negative: top-down rows) at
// bits bits and paints pixel (x, y) with value(x, y): an index, or 0xRRGGBB
// at 24 bits.
template <class Value>
void Paint(TZdDIB& image, int width, int height, int bits, Value&& value) {
    image.SetBitCount(bits);
    image.SetWidth(width);
    image.SetHeight(height);
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = value(x, y);
            image.SetPixels(x, y, static_cast<std::int32_t>(bits == 24 ? Bgr(v) : v));
        }
}

// Replaces the colour table by colours 0xRRGGBB.
inline void SetColors(TZdDIB& image, const std::vector<std::uint32_t>& colors) {
    std::vector<PaletteEntry> entries;
    for (const std::uint32_t c : colors)
        entries.push_back(PaletteEntry{static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                                       static_cast<std::uint8_t>(c), 0});
    image.SetPalette(CreatePaletteHandle(entries.data(), static_cast<int>(entries.size())));
}

// Colour-table entry i as 0xRRGGBB.
inline std::uint32_t TableColor(const TZdDIB& image, int i) {
    const RgbQuad& q = image.InternalDIB().Info.Colors[i];
    return static_cast<std::uint32_t>(q.rgbRed << 16 | q.rgbGreen << 8 | q.rgbBlue);
}

inline std::uint32_t ColorCount(const TZdDIB& image) {
    return image.InternalDIB().Info.Header.biClrUsed;
}

// Pixel (x, y) as 0xRRGGBB, through the colour table for palette pictures.
inline std::uint32_t ColorAt(const TZdDIB& image, int x, int y) {
    const std::uint32_t pixel = image.Pixels(x, y);
    return image.BitCount() == 24 ? Bgr(pixel) : TableColor(image, static_cast<int>(pixel));
}

struct ProgressEvent {
    ProgressStage stage;
    int percent;
    bool redrawNow;
    std::string message;

    bool operator==(const ProgressEvent&) const = default;
};

// Records the progress reports of an image.
inline void RecordProgress(TZdDIB& image, std::vector<ProgressEvent>& events) {
    image.OnProgress = [&events](TGraphic&, ProgressStage stage, int percent, bool redrawNow, const Rect&,
                                 const std::string& message) {
        events.push_back(ProgressEvent{stage, percent, redrawNow, message});
    };
}

}  // namespace imvexa::test
