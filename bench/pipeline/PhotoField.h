#pragma once
// Photograph-like pictures of any size, a row at a time: smooth colour
// gradients (slow waves across the columns plus slow waves down the rows)
// under a fine grain, so that compressors meet what photographs give them.
// A row costs a few operations per sample, so gigapixel pictures take seconds.
#include <array>
#include <cstdint>
#include <vector>

namespace imvexa::bench {

class PhotoField {
public:
    // grain: the noise added to every sample lies in -grain..grain.
    PhotoField(int width, int height, int grain);

    // Row y: with 3 channels red-green-blue samples, with 1 the brightness.
    void Row(int y, int channels, std::uint8_t* out);

private:
    // The value plus the next grain, clamped to a sample.
    std::uint8_t Grained(int value);

    static constexpr int kChannels = 3;
    // Offsets of each channel by column and by row.
    std::vector<std::array<std::int16_t, kChannels>> columns_, rows_;
    int grain_;
    std::uint32_t noise_ = 2463534242u;
};

}  // namespace imvexa::bench
