// The thumbnail provider as Explorer drives it: a file as a named stream,
// then GetThumbnail at a size; bitmaps read back as top-down BGRA rows.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>
#include <thumbcache.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BuiltInDecoders.h"
#include "ClassFactory.h"
#include "Owners.h"
#include "RegistryLayout.h"
#include "SizedThumbnail.h"
#include "Thumbnail.h"
#include "WindowsTestSupport.h"
#include "../common/BmpBuilder.h"
#include "../common/PngBuilder.h"

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, void**);

namespace imvexa {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
template <typename Interface>
using Com = win32::ComInterface<Interface>;

const COLORREF kFrame = RGB(214, 211, 214);

struct Thumbnail {
    HRESULT hr = E_UNEXPECTED;
    WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
    int width = 0, height = 0;
    bool topDown32 = false;
    Bytes bgra;  // width × 4 × height

    const std::uint8_t* At(int x, int y) const { return &bgra[(static_cast<std::size_t>(y) * width + x) * 4]; }
    COLORREF Color(int x, int y) const { return RGB(At(x, y)[2], At(x, y)[1], At(x, y)[0]); }
};

Com<IThumbnailProvider> CreateProvider() {
    Com<IClassFactory> factory;
    IClassFactory* made = nullptr;
    EXPECT_EQ(DllGetClassObject(CLSID_ThumbnailProvider, IID_IClassFactory, reinterpret_cast<void**>(&made)), S_OK);
    factory.Reset(made);
    IThumbnailProvider* provider = nullptr;
    if (factory)
        factory.Get()->CreateInstance(nullptr, __uuidof(IThumbnailProvider), reinterpret_cast<void**>(&provider));
    return Com<IThumbnailProvider>(provider);
}

// Whether the first stored row is the picture's top row: a colour written
// there shows at (0, 0). (GetObject reports every DIB section's height as positive.)
bool StoredTopDown(HBITMAP bitmap, std::uint8_t* bits) {
    const Bytes saved(bits, bits + 4);
    bool topDown = true;
    for (COLORREF marker : {RGB(1, 2, 3), RGB(4, 5, 6)}) {
        bits[0] = GetBValue(marker), bits[1] = GetGValue(marker), bits[2] = GetRValue(marker);
        GdiFlush();
        topDown = topDown && PixelOf(bitmap, 0, 0) == marker;
    }
    std::copy(saved.begin(), saved.end(), bits);
    return topDown;
}

Thumbnail GetThumbnail(IThumbnailProvider* provider, UINT size) {
    Thumbnail result;
    HBITMAP made = nullptr;
    result.hr = provider->GetThumbnail(size, &made, &result.alpha);
    const win32::Bitmap bitmap(made);
    DIBSECTION dib{};
    if (!bitmap || !GetObjectW(bitmap.Get(), sizeof dib, &dib)) return result;
    result.width = dib.dsBm.bmWidth;
    result.height = dib.dsBm.bmHeight;
    auto* bits = static_cast<std::uint8_t*>(dib.dsBm.bmBits);
    result.topDown32 = dib.dsBmih.biBitCount == 32 && StoredTopDown(bitmap.Get(), bits);
    if (result.topDown32) result.bgra.assign(bits, bits + static_cast<std::size_t>(result.width) * 4 * result.height);
    return result;
}

// The thumbnail of the file as Explorer asks for it: a stream on the file.
Thumbnail ProviderThumbnail(const std::string& path, UINT size) {
    Com<IThumbnailProvider> provider = CreateProvider();
    if (!provider) return {};
    IStream* opened = nullptr;
    EXPECT_EQ(SHCreateStreamOnFileEx(WidePath(path).c_str(), STGM_READ, FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, &opened),
              S_OK);
    const Com<IStream> stream(opened);
    IInitializeWithStream* initialize = nullptr;
    EXPECT_EQ(provider.Get()->QueryInterface(IID_IInitializeWithStream, reinterpret_cast<void**>(&initialize)), S_OK);
    const Com<IInitializeWithStream> owned(initialize);
    EXPECT_EQ(initialize->Initialize(stream.Get(), STGM_READ), S_OK);
    return GetThumbnail(provider.Get(), size);
}

// A width × height RGBA PNG: opaque red inside a margin, transparent around it.
Bytes FramedAlphaPng(int width, int height, int margin, bool alpha) {
    test::png::Image image{width, height, alpha ? 6 : 2, 8, {}};
    for (int y = 0; y < height; ++y) {
        auto& row = image.rows.emplace_back();
        for (int x = 0; x < width; ++x) {
            const bool inside = x >= margin && y >= margin && x < width - margin && y < height - margin;
            const std::uint16_t red = inside ? 255 : 0;
            row.insert(row.end(), {red, 0, static_cast<std::uint16_t>(255 - red)});
            if (alpha) row.push_back(inside ? 255 : 0);
        }
    }
    return test::png::PngBuilder(std::move(image)).Build();
}

std::string Sample(const std::string& name) { return IMVEXA_SAMPLES_DIR "\\" + name; }

class ThumbnailProviderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        folder_ = fs::temp_directory_path() / ("imvexa-provider-test-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(folder_);
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        CoUninitialize();
    }

    static std::string Write(const std::string& name, const Bytes& bytes) {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path.string();
    }

    static void SetQualityMode(bool quality) {
        HKEY key;
        ASSERT_EQ(
            RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        const DWORD value = quality ? 1 : 0;
        RegSetValueExA(key, kQualityValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
    }

    PrivateRegistry registry_;
    static inline fs::path folder_;
};

TEST_F(ThumbnailProviderTest, FitsThePictureIntoTheRequestedSquareWithoutEnlargingIt) {
    struct Case {
        int width, height, size, fittedWidth, fittedHeight;
    };
    const Case cases[] = {
        {300, 200, 32, 32, 21},   {300, 200, 96, 96, 64},     {300, 200, 120, 120, 80}, {300, 200, 256, 256, 171},
        {300, 200, 1024, 300, 200}, {100, 400, 96, 24, 96},   {100, 400, 256, 64, 256}, {90, 90, 96, 90, 90},
        {1000, 4, 96, 96, 1},
    };
    for (bool quality : {true, false}) {
        SetQualityMode(quality);
        for (const Case& c : cases) {
            const Bytes pixels((c.width * 3 + 3) / 4 * 4 * static_cast<std::size_t>(c.height));
            const std::string path =
                Write("picture.bmp", test::BmpBuilder().Size(c.width, c.height).Bits(24).Pixels(pixels).Build());
            const Thumbnail thumbnail = ProviderThumbnail(path, static_cast<UINT>(c.size));
            const std::string name = std::to_string(c.width) + "x" + std::to_string(c.height) + " at " +
                                     std::to_string(c.size) + (quality ? " quality" : " speed");
            ASSERT_EQ(thumbnail.hr, S_OK) << name;
            EXPECT_TRUE(thumbnail.topDown32) << name;
            EXPECT_EQ(thumbnail.alpha, WTSAT_RGB) << name;
            EXPECT_EQ(thumbnail.width, c.fittedWidth) << name;
            EXPECT_EQ(thumbnail.height, c.fittedHeight) << name;
            EXPECT_EQ(thumbnail.At(0, 0)[3], 255) << name;
        }
    }
}

TEST_F(ThumbnailProviderTest, PngTransparencyComesThroughAsStraightAlphaInBothModes) {
    for (bool quality : {true, false}) {
        SetQualityMode(quality);
        for (int width : {40, 400}) {  // fits, or is reduced to 96 × 48
            const std::string name = std::to_string(width) + (quality ? " quality" : " speed");
            const Thumbnail framed =
                ProviderThumbnail(Write("framed.png", FramedAlphaPng(width, width / 2, width / 8, true)), 96);
            ASSERT_EQ(framed.hr, S_OK) << name;
            ASSERT_TRUE(framed.topDown32) << name;
            EXPECT_EQ(framed.alpha, WTSAT_ARGB) << name;
            EXPECT_EQ(framed.At(0, 0)[3], 0) << name;
            EXPECT_EQ(framed.At(framed.width / 2, framed.height / 2)[3], 255) << name;
            EXPECT_EQ(framed.Color(framed.width / 2, framed.height / 2), RGB(255, 0, 0)) << name;

            const Thumbnail opaque =
                ProviderThumbnail(Write("opaque.png", FramedAlphaPng(width, width / 2, width / 8, false)), 96);
            ASSERT_TRUE(opaque.topDown32) << name;
            EXPECT_EQ(opaque.alpha, WTSAT_RGB) << name;
            EXPECT_EQ(opaque.At(0, 0)[3], 255) << name;
            EXPECT_EQ(opaque.Color(0, 0), RGB(0, 0, 255)) << name;
        }
    }
}

TEST_F(ThumbnailProviderTest, HasTheComposedPixelsOfTheBuiltInFormats) {
    const std::string png = Write("composed.png", FramedAlphaPng(300, 150, 30, true));
    for (const auto& [path, key] : {std::pair{png, "PNG"}, std::pair{Sample("photo.jpg"), "JPG"}}) {
        std::ifstream file(path, std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        for (int size : {96, 256}) {
            TBgraPicture composed;
            ASSERT_TRUE(ComposeBuiltInAtSize(bytes, key, size, composed));
            const Thumbnail thumbnail = ProviderThumbnail(path, static_cast<UINT>(size));
            ASSERT_EQ(thumbnail.width, composed.width) << key << size;
            ASSERT_EQ(thumbnail.height, composed.height) << key << size;
            EXPECT_EQ(thumbnail.alpha, composed.hasAlpha ? WTSAT_ARGB : WTSAT_RGB) << key << size;
            EXPECT_TRUE(thumbnail.bgra == composed.pixels) << key << size;
        }
    }
}

TEST_F(ThumbnailProviderTest, IconsKeepTheirTransparencyAtTheFittedSize) {
    struct Case {
        UINT size;
        int width;
        int cornerAlpha;  // the mask's transparent border; blended where the image is scaled down
    };
    for (const Case& c : {Case{16, 16, -1}, Case{32, 32, 0}, Case{256, 48, 0}}) {
        const Thumbnail icon = ProviderThumbnail(Sample("icon.ico"), c.size);
        ASSERT_EQ(icon.hr, S_OK) << c.size;
        EXPECT_EQ(icon.alpha, WTSAT_ARGB) << c.size;
        ASSERT_EQ(icon.width, c.width) << c.size;
        EXPECT_EQ(icon.height, c.width) << c.size;
        if (c.cornerAlpha >= 0) {
            EXPECT_EQ(icon.At(0, 0)[3], c.cornerAlpha) << c.size;
        }
        EXPECT_LT(icon.At(0, 0)[3], 255) << c.size;
        EXPECT_EQ(icon.At(icon.width / 2, icon.height / 2)[3], 255) << c.size;
    }
}

TEST_F(ThumbnailProviderTest, MetafilesArePlayedAtTheFittedSizeOnWhite) {
    const Thumbnail metafile = ProviderThumbnail(Sample("metafile.emf"), 100);
    ASSERT_EQ(metafile.hr, S_OK);
    EXPECT_EQ(metafile.alpha, WTSAT_RGB);
    EXPECT_EQ(metafile.width, 100);
    EXPECT_EQ(metafile.height, 60);  // the picture's 5 : 3
    EXPECT_EQ(metafile.At(0, 0)[3], 255);
}

// The rows inside the frame that hold something other than the page colour.
int TextLines(const Thumbnail& page) {
    int bands = 0;
    bool inked = false;
    for (int y = 1; y < page.height - 1; ++y) {
        bool row = false;
        for (int x = 1; x < page.width - 1 && !row; ++x) row = page.Color(x, y) != GetSysColor(COLOR_INFOBK);
        if (row && !inked) ++bands;
        inked = row;
    }
    return bands;
}

TEST_F(ThumbnailProviderTest, TextPagesAreLaidOutForTheSize) {
    std::string lines;
    for (int i = 0; i < 60; ++i) lines += "line " + std::to_string(i) + "\r\n";
    const std::string path = Write("lines.txt", Bytes(lines.begin(), lines.end()));
    const Thumbnail small = ProviderThumbnail(path, 120), large = ProviderThumbnail(path, 256);
    ASSERT_EQ(large.hr, S_OK);
    EXPECT_EQ(large.alpha, WTSAT_RGB);
    ASSERT_EQ(large.width, 256);
    ASSERT_EQ(large.height, 256);
    EXPECT_EQ(large.Color(0, 0), kFrame);
    EXPECT_EQ(large.Color(255, 255), kFrame);
    EXPECT_GT(TextLines(large), TextLines(small));

    // At the legacy size the page is the extractor's, pixel for pixel.
    const win32::Bitmap legacy(ExtractThumbnail(WidePath(path), "TXT"));
    ASSERT_TRUE(legacy);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x) ASSERT_EQ(small.Color(x, y), PixelOf(legacy.Get(), x, y)) << x << "," << y;
}

TEST_F(ThumbnailProviderTest, AnswersEveryCallWithAResult) {
    Com<IThumbnailProvider> provider = CreateProvider();
    ASSERT_TRUE(provider);
    HBITMAP bitmap = nullptr;
    WTS_ALPHATYPE alpha;
    EXPECT_EQ(provider.Get()->GetThumbnail(96, &bitmap, &alpha), E_UNEXPECTED);  // nothing to draw yet
    EXPECT_EQ(provider.Get()->GetThumbnail(96, nullptr, &alpha), E_POINTER);

    IInitializeWithFile* file = nullptr;
    ASSERT_EQ(provider.Get()->QueryInterface(IID_IInitializeWithFile, reinterpret_cast<void**>(&file)), S_OK);
    const Com<IInitializeWithFile> owned(file);
    EXPECT_NE(file->Initialize(WidePath(Sample("missing.png")).c_str(), STGM_READ), S_OK);
    ASSERT_EQ(file->Initialize(WidePath(Sample("photo.jpg")).c_str(), STGM_READ), S_OK);
    EXPECT_EQ(file->Initialize(WidePath(Sample("photo.jpg")).c_str(), STGM_READ),
              HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED));
    EXPECT_EQ(provider.Get()->GetThumbnail(0, &bitmap, &alpha), E_INVALIDARG);
    const Thumbnail photo = GetThumbnail(provider.Get(), 96);
    EXPECT_EQ(photo.hr, S_OK);
    EXPECT_EQ(photo.bgra, ProviderThumbnail(Sample("photo.jpg"), 96).bgra);  // path and stream agree

    // A damaged picture and a nameless stream (no decoder for no extension) give no thumbnail.
    EXPECT_EQ(ProviderThumbnail(Write("broken.png", Bytes(40, 7)), 96).hr, E_FAIL);
    const Com<IThumbnailProvider> nameless = CreateProvider();
    const Com<IStream> memory(SHCreateMemStream(reinterpret_cast<const BYTE*>("BM"), 2));
    IInitializeWithStream* initialize = nullptr;
    ASSERT_EQ(nameless.Get()->QueryInterface(IID_IInitializeWithStream, reinterpret_cast<void**>(&initialize)), S_OK);
    const Com<IInitializeWithStream> ownedStream(initialize);
    ASSERT_EQ(initialize->Initialize(memory.Get(), STGM_READ), S_OK);
    EXPECT_EQ(GetThumbnail(nameless.Get(), 96).hr, E_FAIL);
}

}  // namespace
}  // namespace imvexa
