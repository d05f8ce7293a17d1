// The PNG reader against an independent decoder: Pillow decoded every file
// of the fixture set (data/pillow, made by make_pillow_cases.py), and the
// colours it read lie beside each file, reduced the way QXPNGLE reduces them
// (alpha dropped, 16-bit samples cut to their high byte). Every pixel must
// have that colour.
#include <fstream>
#include <iterator>
#include <sstream>

#include "PngTestSupport.h"

#ifndef IMVEXA_PILLOW_CASES_DIR
#error "IMVEXA_PILLOW_CASES_DIR names the folder of the Pillow fixtures"
#endif

namespace imvexa::test::png {
namespace {

const std::string kFolder = IMVEXA_PILLOW_CASES_DIR;

Bytes ReadFile(const std::string& name) {
    std::ifstream in(kFolder + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << kFolder << "/" << name;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Case {
    std::string name;
    int width;
    int height;
    int bits;
};

std::vector<Case> Cases() {
    std::ifstream manifest(kFolder + "/manifest.txt");
    std::vector<Case> cases;
    Case c;
    while (manifest >> c.name >> c.width >> c.height >> c.bits) cases.push_back(c);
    return cases;
}

TEST(PngPillow, EveryCaseDecodesToPillowsColours) {
    const std::vector<Case> cases = Cases();
    ASSERT_GE(cases.size(), 100u) << "the Pillow cases are missing from " << kFolder;
    int interlaced = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes file = ReadFile(c.name + ".png");
        const Bytes rgb = ReadFile(c.name + ".rgb");
        ASSERT_EQ(rgb.size(), static_cast<std::size_t>(c.width) * c.height * 3);
        interlaced += file.size() > 28 && file[28] == 1;
        QXPNGLE png;
        Load(png, file);
        const TBitmap* bitmap = png.InternalBitmap();
        ASSERT_NE(bitmap, nullptr);
        ASSERT_EQ(bitmap->Width(), c.width);
        ASSERT_EQ(bitmap->Height(), c.height);
        EXPECT_EQ(bitmap->BitsPerPixel(), c.bits);
        int mismatches = 0;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * c.width + x) * 3;
                const std::uint32_t expected = std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
                if (Color(*bitmap, x, y) != expected && ++mismatches <= 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << Color(*bitmap, x, y)
                                  << " Pillow " << expected;
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
    EXPECT_GE(interlaced, 40);
}

}  // namespace
}  // namespace imvexa::test::png
