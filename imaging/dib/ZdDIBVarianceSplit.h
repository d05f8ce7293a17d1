#pragma once
// Colour quantization by variance splitting: a two-way partition tree of
// depth D over colour items, each part split at the mean of the channel with
// the largest weighted variance (weights 3 red, 4 green, 2 blue), one palette
// colour per non-empty leaf. All sums are exact integers, so ties and the
// comparisons against a mean never depend on rounding.
#include <array>
#include <cstddef>
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

    // The sums of what is left when the items of part are taken away.
    ColorSums Without(const ColorSums& part) const;

    // The mean of a channel rounded down: a value v is at most the mean
    // exactly when it is at most this.
    std::uint8_t MeanFloor(int channel) const;
    // The mean colour, each channel rounded to the nearest integer, halves to even.
    RgbQuad MeanColor() const;
};

// The channel to split a part on (0 red, 1 green, 2 blue); ties go to red,
// then green.
int SplitChannel(const ColorSums& sums, SplitRule rule);

// The partition tree and the palette of its leaves, which all lie at the
// tree's depth.
class PaletteTree {
public:
    explicit PaletteTree(int depth) : depth_(depth) {}

    // A leaf with the next palette colour; returns its node.
    int AddLeaf(const RgbQuad& color);
    // A split node whose children come later; returns its node.
    int AddSplit(int channel, std::uint8_t threshold);
    // first gets the values at most the threshold; -1 for an empty part.
    void SetChildren(int node, int first, int second);

    // The palette indexes of count colours of the partitioned items, given as
    // blue, green, red bytes.
    void IndexesOf(const std::uint8_t* bgr, std::size_t count, std::uint8_t* indexes) const;
    std::uint8_t IndexOf(const RgbTriple& color) const;

    // Makes the palette the colour table of info.
    void CopyColorsTo(TZdDIBInfo& info) const;

private:
    struct Node {
        std::uint8_t channel;  // split nodes: 0 red, 1 green, 2 blue
        std::uint8_t threshold;  // split nodes
        std::uint8_t paletteIndex;  // leaves
        std::array<std::int16_t, 2> children;  // at most the threshold, above it
    };

    int depth_;
    std::vector<Node> nodes_;
    std::array<RgbQuad, kMaxColors> colors_{};
    int colorCount_ = 0;
};

// Moves the items whose value in channel is at most threshold to the front
// and returns the end of them. Swapping every item, whichever side it goes
// to, spares the branches on its value, which are unpredictable.
template <class Item>
Item* PartitionAtMost(Item* begin, Item* end, int channel, std::uint8_t threshold) {
    Item* boundary = begin;
    for (Item* item = begin; item != end; ++item) {
        const Item moved = *item;
        *item = *boundary;
        *boundary = moved;
        boundary += Channel(moved, channel) <= threshold ? 1 : 0;
    }
    return boundary;
}

// Builds the tree of depth (8 for 256 colours, 4 for 16) over the items,
// reordering them in place; calls progress once per leaf, 2^depth times.
template <class Item>
class VarianceSplitter {
public:
    VarianceSplitter(int depth, SplitRule rule, const ConversionProgress& progress)
        : depth_(depth), rule_(rule), progress_(progress), tree_(depth) {}

    PaletteTree Split(Item* begin, Item* end) {
        Split(begin, end, SumsOf(begin, end), 0);
        return std::move(tree_);
    }

private:
    static ColorSums SumsOf(const Item* begin, const Item* end) {
        ColorSums sums;
        for (const Item* item = begin; item != end; ++item) sums.Add(*item);
        return sums;
    }

    int Split(Item* begin, Item* end, const ColorSums& sums, int depth) {
        if (begin == end) {
            // An empty part still counts every leaf below it.
            for (int i = 0; i < 1 << (depth_ - depth); ++i) Step();
            return -1;
        }
        if (depth == depth_) {
            const int leaf = tree_.AddLeaf(sums.MeanColor());
            Step();
            return leaf;
        }
        const int channel = SplitChannel(sums, rule_);
        const std::uint8_t threshold = sums.MeanFloor(channel);
        Item* const middle = PartitionAtMost(begin, end, channel, threshold);
        // Only the smaller part is added up; the other one's sums are what is left.
        const bool firstIsSmaller = middle - begin <= end - middle;
        const ColorSums smaller = firstIsSmaller ? SumsOf(begin, middle) : SumsOf(middle, end);
        const ColorSums first = firstIsSmaller ? smaller : sums.Without(smaller);
        const ColorSums second = firstIsSmaller ? sums.Without(smaller) : smaller;
        const int node = tree_.AddSplit(channel, threshold);
        const int secondNode = Split(middle, end, second, depth + 1);
        const int firstNode = Split(begin, middle, first, depth + 1);
        tree_.SetChildren(node, firstNode, secondNode);
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
