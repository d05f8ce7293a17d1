// Writes the seed corpus of fuzz_mag through the MAG writer: 16- and
// 256-colour pictures of flat areas, stripes, tiles and noise, so that the
// seeds hold every kind of flag change and copy.
// Usage: write_mag_seeds FOLDER
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "Mag.h"
#include "PackedPixels.h"
#include "Stream.h"

using namespace imvexa;

namespace {

using PixelRule = std::function<std::uint32_t(int x, int y)>;

void WriteSeed(const std::string& folder, const char* name, TPixelFormat format, int width, int height,
               const PixelRule& rule, const MagProperties& properties = {}) {
    TBitmap picture;
    picture.SetPixelFormat(format);
    picture.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) SetPackedIndex(picture.ScanLine(y), x, picture.BitsPerPixel(), rule(x, y));
    TMAGImage image;
    image.Assign(&picture);
    image.Properties = properties;
    TFileStream file(folder + "/" + name, FileMode::Create);
    image.SaveToStream(file);
}

std::uint32_t Noise(int x, int y) {
    std::uint32_t state = static_cast<std::uint32_t>(x * 7919 + y * 104729);
    state ^= state >> 13;
    state *= 0x5bd1e995u;
    return state ^ (state >> 15);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_mag_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    WriteSeed(folder, "flat_16.mag", TPixelFormat::Bit4, 16, 8, [](int, int) { return 5u; });
    WriteSeed(folder, "stripes_16.mag", TPixelFormat::Bit4, 32, 20,
              [](int x, int y) { return static_cast<std::uint32_t>(x / 3 + y / 5) % 16; });
    WriteSeed(folder, "noise_16_200_lines.mag", TPixelFormat::Bit4, 24, 17,
              [](int x, int y) { return Noise(x, y) % 16; }, {"noise", "seed", true, 3, 8});
    WriteSeed(folder, "gradient_256.mag", TPixelFormat::Bit8, 20, 18,
              [](int x, int y) { return static_cast<std::uint32_t>(x + y); });
    WriteSeed(folder, "tiles_256.mag", TPixelFormat::Bit8, 36, 33,
              [](int x, int y) { return static_cast<std::uint32_t>((x % 5) * 40 + (y % 3)); }, {"tiles", "", false, 40, 12});
    WriteSeed(folder, "noise_256.mag", TPixelFormat::Bit8, 12, 9, [](int x, int y) { return Noise(x, y) % 256; });
    return 0;
}
