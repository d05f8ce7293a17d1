#include "ZdDIBVarianceSplit.h"

#include <algorithm>

#include "RoundedQuotient.h"

namespace imvexa {

namespace {

// An unsigned 128-bit number: weight² times a variance needs more than 64 bits.
struct Wide {
    std::uint64_t high;
    std::uint64_t low;

    auto operator<=>(const Wide&) const = default;
};

Wide Multiply(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t aLow = a & 0xFFFFFFFF, aHigh = a >> 32;
    const std::uint64_t bLow = b & 0xFFFFFFFF, bHigh = b >> 32;
    const std::uint64_t lowLow = aLow * bLow, lowHigh = aLow * bHigh, highLow = aHigh * bLow;
    const std::uint64_t middle = (lowLow >> 32) + (lowHigh & 0xFFFFFFFF) + (highLow & 0xFFFFFFFF);
    return Wide{aHigh * bHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32),
                middle << 32 | (lowLow & 0xFFFFFFFF)};
}

Wide Subtract(const Wide& a, const Wide& b) {
    return Wide{a.high - b.high - (a.low < b.low ? 1 : 0), a.low - b.low};
}

// k times a value far below 2^126.
Wide Times(const Wide& value, std::uint64_t k) {
    const Wide low = Multiply(value.low, k);
    return Wide{value.high * k + low.high, low.low};
}

// weight² × variance = weight × Σw·v² − (Σw·v)², never negative.
Wide ScaledVariance(const ColorSums& sums, int channel) {
    return Subtract(Multiply(sums.weight, sums.squares[channel]), Multiply(sums.sum[channel], sums.sum[channel]));
}

std::uint8_t RoundedMean(std::uint64_t sum, std::uint64_t weight) {
    return static_cast<std::uint8_t>(RoundedQuotient(sum, weight));
}

}  // namespace

ColorSums ColorSums::Without(const ColorSums& part) const {
    ColorSums rest = *this;
    rest.weight -= part.weight;
    for (int c = 0; c < 3; ++c) {
        rest.sum[c] -= part.sum[c];
        rest.squares[c] -= part.squares[c];
    }
    return rest;
}

std::uint8_t ColorSums::MeanFloor(int channel) const {
    return static_cast<std::uint8_t>(sum[channel] / weight);
}

RgbQuad ColorSums::MeanColor() const {
    return RgbQuad{RoundedMean(sum[2], weight), RoundedMean(sum[1], weight), RoundedMean(sum[0], weight), 0};
}

int SplitChannel(const ColorSums& sums, SplitRule rule) {
    const Wide red = ScaledVariance(sums, 0), green = ScaledVariance(sums, 1), blue = ScaledVariance(sums, 2);
    const Wide weightedRed = Times(red, 3), weightedGreen = Times(green, 4), weightedBlue = Times(blue, 2);
    if (weightedGreen <= weightedRed && weightedBlue <= weightedRed) return 0;
    if (weightedRed > weightedGreen) return 2;
    const Wide greenAgainstBlue = rule == SplitRule::High ? weightedGreen : Times(green, 3);
    return weightedBlue > greenAgainstBlue ? 2 : 1;
}

int PaletteTree::AddLeaf(const RgbQuad& color) {
    const auto index = static_cast<std::uint8_t>(colorCount_);
    colors_[colorCount_++] = color;
    nodes_.push_back(Node{0, 0, index, {-1, -1}});
    return static_cast<int>(nodes_.size()) - 1;
}

int PaletteTree::AddSplit(int channel, std::uint8_t threshold) {
    nodes_.push_back(Node{static_cast<std::uint8_t>(channel), threshold, 0, {-1, -1}});
    return static_cast<int>(nodes_.size()) - 1;
}

void PaletteTree::SetChildren(int node, int first, int second) {
    nodes_[node].children = {static_cast<std::int16_t>(first), static_cast<std::int16_t>(second)};
}

void PaletteTree::IndexesOf(const std::uint8_t* bgr, std::size_t count, std::uint8_t* indexes) const {
    // Every walk takes depth steps, so several colours walk side by side and
    // the processor overlaps their chains of dependent loads.
    constexpr std::size_t kLanes = 8;
    for (std::size_t start = 0; start < count; start += kLanes) {
        const std::size_t lanes = std::min(kLanes, count - start);
        const std::uint8_t* colors = bgr + 3 * start;
        std::array<std::int16_t, kLanes> at{};
        for (int step = 0; step < depth_; ++step) {
            for (std::size_t i = 0; i < lanes; ++i) {
                const Node& node = nodes_[static_cast<std::size_t>(at[i])];
                at[i] = node.children[colors[3 * i + 2 - node.channel] > node.threshold ? 1 : 0];
            }
        }
        for (std::size_t i = 0; i < lanes; ++i) indexes[start + i] = nodes_[static_cast<std::size_t>(at[i])].paletteIndex;
    }
}

std::uint8_t PaletteTree::IndexOf(const RgbTriple& color) const {
    const std::uint8_t bgr[3] = {color.rgbtBlue, color.rgbtGreen, color.rgbtRed};
    std::uint8_t index;
    IndexesOf(bgr, 1, &index);
    return index;
}

void PaletteTree::CopyColorsTo(TZdDIBInfo& info) const {
    info.Header.biClrUsed = static_cast<std::uint32_t>(colorCount_);
    std::copy(colors_.begin(), colors_.begin() + colorCount_, info.Colors);
}

}  // namespace imvexa
