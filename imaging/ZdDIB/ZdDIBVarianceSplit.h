#pragma once
// Colour quantization by variance splitting: a two-way partition tree of
// depth D over colour items, each part split at the mean of the channel with
// the largest weighted variance (weights 3 red, 4 green, 2 blue), one palette
// colour per non-empty leaf. All sums are exact integers, so ties and the
// comparisons against a mean never depend on rounding.
#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "ZdDIBConvert.h"
#include "ZdDIBTypes.h"

namespace imvexa {

// How blue is weighed against green when red does not win: the High method
// compares 2·var(blue) with 4·var(green), the Low method with 3·var(green).
enum class SplitRule { Low, High };

// A colour that stands for weight pixels: a histogram cell or a colour index (key).
struct WeightedColor {
    RgbTriple color;
    std::uint16_t key;
    std::uint32_t weight;
};

// Channel 0 red, 1 green, 2 blue.
inline std::uint8_t Channel(const RgbTriple& color, int channel) {
    return channel == 0 ? color.rgbtRed : channel == 1 ? color.rgbtGreen : color.rgbtBlue;
}
inline std::uint8_t Channel(const WeightedColor& item, int channel) { return Channel(item.color, channel); }
inline const RgbTriple& ColorOf(const RgbTriple& pixel) { return pixel; }
inline const RgbTriple& ColorOf(const WeightedColor& item) { return item.color; }
inline std::uint32_t Weight(const RgbTriple&) { return 1; }
inline std::uint32_t Weight(const WeightedColor& item) { return item.weight; }

// Weight and weighted sums of values and of squares of one part, per channel.
struct ColorSums {
    std::uint64_t weight = 0;
    std::array<std::uint64_t, 3> sum{};
    std::array<std::uint64_t, 3> squares{};

    template <class Item>
    void Add(const Item& item) {
        const std::uint64_t w = Weight(item);
        weight += w;
        for (int c = 0; c < 3; ++c) {
            const std::uint64_t value = Channel(item, c);
            sum[c] += w * value;
            squares[c] += w * value * value;
        }
    }

    // The mean of a channel rounded down: a value v is at most the mean
    // exactly when it is at most this.
    std::uint8_t MeanFloor(int channel) const;
    // The mean colour, each channel rounded to the nearest integer, halves to even.
    RgbQuad MeanColor() const;
};

// The channel to split a part on (0 red, 1 green, 2 blue); ties go to red,
// then green.
int SplitChannel(const ColorSums& sums, SplitRule rule);

// The partition tree and the palette of its leaves.
class PaletteTree {
public:
    // A leaf with the next palette colour; returns its node.
    int AddLeaf(const RgbQuad& color);
    // A split node whose children come later; returns its node.
    int AddSplit(int channel, std::uint8_t threshold);
    // first gets the values at most the threshold; -1 for an empty part.
    void SetChildren(int node, int first, int second);

    // The palette index of the leaf that a colour of the partitioned items reaches.
    std::uint8_t IndexOf(const RgbTriple& color) const;

    int ColorCount() const { return colorCount_; }
    const RgbQuad* Colors() const { return colors_.data(); }
    // Makes the palette the colour table of info.
    void CopyColorsTo(TZdDIBInfo& info) const;

private:
    static constexpr std::uint8_t kLeaf = 3;
    struct Node {
        std::uint8_t channel;
        std::uint8_t threshold;  // split nodes
        std::uint8_t paletteIndex;  // leaves
        std::int16_t first;
        std::int16_t second;
    };

    std::vector<Node> nodes_;
    std::array<RgbQuad, kMaxColors> colors_{};
    int colorCount_ = 0;
};

// Builds the tree of depth (8 for 256 colours, 4 for 16) over the items,
// reordering them in place; calls progress once per leaf, 2^depth times.
template <class Item>
class VarianceSplitter {
public:
    VarianceSplitter(int depth, SplitRule rule, const ConversionProgress& progress)
        : depth_(depth), rule_(rule), progress_(progress) {}

    PaletteTree Split(Item* begin, Item* end) {
        Split(begin, end, 0);
        return std::move(tree_);
    }

private:
    int Split(Item* begin, Item* end, int depth) {
        if (begin == end) {
            // An empty part still counts every leaf below it.
            for (int i = 0; i < 1 << (depth_ - depth); ++i) Step();
            return -1;
        }
        ColorSums sums;
        for (const Item* item = begin; item != end; ++item) sums.Add(*item);
        if (depth == depth_) {
            const int leaf = tree_.AddLeaf(sums.MeanColor());
            Step();
            return leaf;
        }
        const int channel = SplitChannel(sums, rule_);
        const std::uint8_t threshold = sums.MeanFloor(channel);
        Item* const middle =
            std::partition(begin, end, [&](const Item& item) { return Channel(item, channel) <= threshold; });
        const int node = tree_.AddSplit(channel, threshold);
        const int second = Split(middle, end, depth + 1);
        const int first = Split(begin, middle, depth + 1);
        tree_.SetChildren(node, first, second);
        return node;
    }

    void Step() {
        if (progress_) progress_();
    }

    int depth_;
    SplitRule rule_;
    const ConversionProgress& progress_;
    PaletteTree tree_;
};

}  // namespace imvexa
