#include "PhotoField.h"

#include <algorithm>
#include <cmath>

namespace imvexa::bench {

namespace {

constexpr double kTurn = 6.283185307179586;

// Two waves of each channel along one axis: a broad one and a smaller, faster one,
// at a different phase per channel.
std::vector<std::array<std::int16_t, 3>> Waves(int length, double phase) {
    std::vector<std::array<std::int16_t, 3>> waves(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / length;
        for (int c = 0; c < 3; ++c) {
            const double broad = 45 * std::sin(kTurn * (t * (1 + c) + phase + c * 0.3));
            const double fine = 10 * std::sin(kTurn * (t * (9 + 4 * c) + phase));
            waves[static_cast<std::size_t>(i)][static_cast<std::size_t>(c)] = static_cast<std::int16_t>(broad + fine);
        }
    }
    return waves;
}

}  // namespace

PhotoField::PhotoField(int width, int height, int grain)
    : columns_(Waves(width, 0.1)), rows_(Waves(height, 0.6)), grain_(grain) {}

std::uint8_t PhotoField::Grained(int value) {
    // xorshift32: fast, and varied enough in its upper bits for grain.
    noise_ ^= noise_ << 13;
    noise_ ^= noise_ >> 17;
    noise_ ^= noise_ << 5;
    // Scales the upper 16 bits to 0..2 × grain without a division.
    const int grain = static_cast<int>(((noise_ >> 16) * static_cast<std::uint32_t>(2 * grain_ + 1)) >> 16) - grain_;
    return static_cast<std::uint8_t>(std::clamp(value + grain, 0, 255));
}

void PhotoField::Row(int y, int channels, std::uint8_t* out) {
    const auto& down = rows_[static_cast<std::size_t>(y)];
    for (const auto& across : columns_) {
        for (int c = 0; c < channels; ++c) {
            const auto channel = static_cast<std::size_t>(channels == 1 ? 1 : c);  // brightness: the green wave
            *out++ = Grained(128 + across[channel] + down[channel]);
        }
    }
}

}  // namespace imvexa::bench
