// The extractor as the shell drives it: class factory, IPersistFile,
// IExtractImage, and the server's unload counting.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "Bitmap.h"
#include "ClassFactory.h"
#include "RegistryLayout.h"
#include "QXPNGL.h"
#include "Thumbnail.h"
#include "WindowsTestSupport.h"
#include "../jpeg/CompressJPEG.h"
#include "../common/BmpBuilder.h"
#include "../compose/PaletteWithoutWhite.h"

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, void**);
extern "C" HRESULT WINAPI DllCanUnloadNow();

namespace imvexa {
namespace {

namespace fs = std::filesystem;

template <typename T>
struct Com {
    T* p = nullptr;
    ~Com() { reset(); }
    void reset() {
        if (p) p->Release();
        p = nullptr;
    }
    void** out() { return reinterpret_cast<void**>(&p); }
    T* operator->() const { return p; }
};

class ExtractorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        // One folder per process: CTest runs the tests of this program in parallel.
        folder_ = fs::temp_directory_path() / ("imvexa-extractor-test-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(folder_);
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        CoUninitialize();
    }

    // A black picture of width × height at 1, 4, 8 or 24 bits, as a BMP
    // file; palette pictures have white among their colours.
    static std::string WriteBitmap(const std::string& name, int width, int height, int bits) {
        std::vector<std::uint32_t> colors(bits <= 8 ? std::size_t{1} << bits : 0, 0xFFFFFF);
        if (!colors.empty()) colors[0] = 0;
        const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
        const test::Bytes file = test::BmpBuilder()
                                     .Size(width, height)
                                     .Bits(static_cast<std::uint16_t>(bits))
                                     .ColorsUsed(static_cast<std::uint32_t>(colors.size()))
                                     .Colors(colors)
                                     .Pixels(test::Bytes(stride * static_cast<std::size_t>(height)))
                                     .Build();
        return WriteFile(name, std::string(file.begin(), file.end()));
    }

    static std::string WritePng(const std::string& name, const TBitmap& picture) {
        QXPNGLE png;
        png.Assign(&picture);
        const std::string path = (folder_ / name).string();
        png.SaveToFile(path);
        return path;
    }

    static std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = (folder_ / name).string();
        TFileStream file(path, FileMode::Create);
        file.WriteBuffer(bytes.data(), bytes.size());
        return path;
    }

    static void CreateExtractor(Com<IPersistFile>& persist) {
        Com<IClassFactory> factory;
        ASSERT_EQ(DllGetClassObject(CLSID_ExtractImage, IID_IClassFactory, factory.out()), S_OK);
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPersistFile, persist.out()), S_OK);
    }

    struct Result {
        HRESULT hr = E_UNEXPECTED;
        HBITMAP bitmap = nullptr;
        DIBSECTION dib{};
    };

    static Result Extract(const std::string& path) { return Extract(WidePath(path)); }

    static bool SamePixels(const BITMAP& a, const BITMAP& b) {
        return a.bmWidth == b.bmWidth && a.bmHeight == b.bmHeight && a.bmBitsPixel == b.bmBitsPixel &&
               std::memcmp(a.bmBits, b.bmBits, static_cast<std::size_t>(a.bmWidthBytes) * a.bmHeight) == 0;
    }

    static Result Extract(const std::wstring& path) {
        Result result;
        Com<IPersistFile> persist;
        CreateExtractor(persist);
        EXPECT_EQ(persist->Load(path.c_str(), STGM_READ), S_OK);
        Com<IExtractImage> extractor;
        EXPECT_EQ(persist->QueryInterface(IID_IExtractImage, extractor.out()), S_OK);
        result.hr = extractor->Extract(&result.bitmap);
        if (result.bitmap) GetObjectW(result.bitmap, sizeof result.dib, &result.dib);
        return result;
    }

    // The per-user reduction mode: quality or speed.
    static void SetQualityMode(bool quality) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        const DWORD value = quality ? 1 : 0;
        RegSetValueExA(key, kQualityValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
    }

    static inline fs::path folder_;
};

TEST_F(ExtractorTest, AnswersThePersistAndLocationCalls) {
    Com<IPersistFile> persist;
    CreateExtractor(persist);
    CLSID classId{};
    EXPECT_EQ(persist->GetClassID(&classId), S_OK);
    EXPECT_TRUE(IsEqualCLSID(classId, CLSID_ExtractImage));
    EXPECT_EQ(persist->IsDirty(), E_NOTIMPL);
    EXPECT_EQ(persist->Save(L"x", TRUE), E_NOTIMPL);
    EXPECT_EQ(persist->SaveCompleted(L"x"), E_NOTIMPL);
    LPOLESTR current = reinterpret_cast<LPOLESTR>(0x1234);
    EXPECT_EQ(persist->GetCurFile(&current), E_NOTIMPL);
    EXPECT_EQ(current, reinterpret_cast<LPOLESTR>(0x1234));
    EXPECT_EQ(persist->Load(L"", STGM_READ), E_FAIL);

    Com<IExtractImage> extractor;
    ASSERT_EQ(persist->QueryInterface(IID_IExtractImage, extractor.out()), S_OK);
    wchar_t buffer[8] = L"keep";
    DWORD priority = 7;
    const SIZE size{96, 96};
    DWORD flags = IEIFLAG_ASYNC | 0x40;
    EXPECT_EQ(extractor->GetLocation(buffer, 8, &priority, &size, 32, &flags), E_PENDING);
    EXPECT_EQ(flags, DWORD{IEIFLAG_ASYNC | 0x40});
    EXPECT_EQ(priority, 7u);
    EXPECT_STREQ(buffer, L"keep");
    flags = 0;
    EXPECT_EQ(extractor->GetLocation(buffer, 8, &priority, &size, 32, &flags), S_OK);

    Com<ISupportErrorInfo> errors;
    ASSERT_EQ(persist->QueryInterface(IID_ISupportErrorInfo, errors.out()), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_IExtractImage), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_IStream), S_FALSE);
}

TEST_F(ExtractorTest, FactoryRefusesWhatItCannotMake) {
    Com<IClassFactory> factory;
    const CLSID unknown = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
    void* object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(DllGetClassObject(unknown, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    ASSERT_EQ(DllGetClassObject(CLSID_ExtractImage, IID_IClassFactory, factory.out()), S_OK);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPersistFile, nullptr), E_POINTER);
    IUnknown* outer = factory.p;  // any object can stand for an outer one here
    EXPECT_EQ(factory->CreateInstance(outer, IID_IPersistFile, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IStream, &object), E_NOINTERFACE);
}

// A minimal outer object that aggregates an extractor and counts its own references.
class Outer final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        return inner->QueryInterface(riid, object);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    IUnknown* inner = nullptr;
    ULONG references = 1;
};

TEST_F(ExtractorTest, AggregatedObjectsDelegateToTheirOuterObject) {
    Com<IClassFactory> factory;
    ASSERT_EQ(DllGetClassObject(CLSID_ExtractImage, IID_IClassFactory, factory.out()), S_OK);
    Outer outer;
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    IExtractImage* extractor = nullptr;
    ASSERT_EQ(outer.QueryInterface(IID_IExtractImage, reinterpret_cast<void**>(&extractor)), S_OK);
    EXPECT_EQ(outer.references, 2u);  // the interface's AddRef reached the outer object
    IUnknown* back = nullptr;
    ASSERT_EQ(extractor->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)), S_OK);
    EXPECT_EQ(back, static_cast<IUnknown*>(&outer));  // identity is the outer object's
    back->Release();
    extractor->Release();
    EXPECT_EQ(outer.references, 1u);
    EXPECT_EQ(outer.inner->Release(), 0u);  // the inner unknown owns the object
}

TEST_F(ExtractorTest, CountsObjectsReferencesAndLocks) {
    ASSERT_EQ(DllCanUnloadNow(), S_OK);
    Com<IClassFactory> factory;
    ASSERT_EQ(DllGetClassObject(CLSID_ExtractImage, IID_IClassFactory, factory.out()), S_OK);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    Com<IPersistFile> persist;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPersistFile, persist.out()), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);  // the object and the lock remain
    persist.reset();
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);  // the lock remains
    ASSERT_EQ(DllGetClassObject(CLSID_ExtractImage, IID_IClassFactory, factory.out()), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory.reset();
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(ExtractorTest, MissingAndUndecodableFilesFail) {
    const Result missing = Extract((folder_ / "missing.bmp").string());
    EXPECT_EQ(missing.hr, E_FAIL);
    EXPECT_EQ(missing.bitmap, nullptr);
    const std::pair<const char*, std::string> damaged[] = {
        {"broken.bmp", "BM this is not a bitmap"},
        {"broken.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16)},
        {"broken.jpg", "\xFF\xD8\xFF\xE0 not a JPEG"},
        {"broken.mag", "MAKI02  nothing more"},
        {"broken.ico", "\0\0\1\0\5\0"},
        {"broken.wmf", "not a metafile at all"},
    };
    for (const auto& [name, bytes] : damaged) {
        const Result broken = Extract(WriteFile(name, bytes));
        EXPECT_EQ(broken.hr, E_FAIL) << name;
        EXPECT_EQ(broken.bitmap, nullptr) << name;
    }
}

TEST_F(ExtractorTest, ReadsPathsInTheJapaneseCodePage) {
    ASSERT_EQ(GetACP(), 932u);
    // The folder name's second byte is a backslash in Shift_JIS (0x83 0x5C).
    const std::wstring folder = folder_.wstring() + L"\\\u30BD\u8868";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    const std::string picture = WriteBitmap("japanese.bmp", 20, 10, 24);
    const std::wstring target = folder + L"\\\u753B\u50CF.bmp";
    ASSERT_TRUE(CopyFileW(WidePath(picture).c_str(), target.c_str(), FALSE));

    Com<IPersistFile> persist;
    CreateExtractor(persist);
    ASSERT_EQ(persist->Load(target.c_str(), STGM_READ), S_OK);
    Com<IExtractImage> extractor;
    ASSERT_EQ(persist->QueryInterface(IID_IExtractImage, extractor.out()), S_OK);
    HBITMAP bitmap = nullptr;
    EXPECT_EQ(extractor->Extract(&bitmap), S_OK);
    EXPECT_NE(bitmap, nullptr);
    if (bitmap) DeleteObject(bitmap);
}

// Each name holds a character that code page 932 lacks, and lies beside a
// file that its narrowing could name: the best-fit "cafe", or a single-letter
// name that a search for "?" matches. Each must show its own content.
TEST_F(ExtractorTest, NamesOutsideTheCodePageShowTheirOwnFile) {
    ASSERT_EQ(GetACP(), 932u);
    WriteBitmap("cafe.bmp", 30, 10, 24);
    WriteBitmap("x.bmp", 30, 10, 24);
    WriteFile("cafe.txt", "");
    const std::string picture = WriteBitmap("picture.bmp", 20, 10, 4);
    const std::string text = WriteFile("text.txt", "hello");
    const std::pair<const wchar_t*, std::string> cases[] = {
        {L"caf\u00E9.bmp", picture}, {L"\uD55C.bmp", picture}, {L"caf\u00E9.txt", text}};
    for (const auto& [name, original] : cases) {
        const std::wstring copy = folder_.wstring() + L"\\" + name;
        ASSERT_TRUE(CopyFileW(WidePath(original).c_str(), copy.c_str(), FALSE));
        const Result own = Extract(copy), expected = Extract(original);
        ASSERT_EQ(own.hr, S_OK) << original;
        ASSERT_EQ(expected.hr, S_OK) << original;
        EXPECT_TRUE(SamePixels(own.dib.dsBm, expected.dib.dsBm)) << original;
        DeleteObject(own.bitmap);
        DeleteObject(expected.bitmap);
    }
}

TEST_F(ExtractorTest, UnknownTypesGiveABlankThumbnail) {
    const Result result = Extract(WriteFile("unknown.xyz", "anything"));
    ASSERT_EQ(result.hr, S_OK);
    EXPECT_EQ(result.dib.dsBm.bmWidth, 120);
    EXPECT_EQ(PixelOf(result.bitmap, 60, 60), RGB(255, 255, 255));
    DeleteObject(result.bitmap);
}

TEST_F(ExtractorTest, CentresSmallPicturesInTheirOwnFormat) {
    const Result result = Extract(WriteBitmap("small.bmp", 120, 80, 8));
    ASSERT_EQ(result.hr, S_OK);
    EXPECT_EQ(result.dib.dsBm.bmWidth, 120);
    EXPECT_EQ(result.dib.dsBm.bmHeight, 120);
    EXPECT_EQ(result.dib.dsBm.bmBitsPixel, 8);
    EXPECT_EQ(PixelOf(result.bitmap, 60, 19), RGB(255, 255, 255));  // above the picture
    EXPECT_EQ(PixelOf(result.bitmap, 60, 20), RGB(0, 0, 0));        // its first row
    EXPECT_EQ(PixelOf(result.bitmap, 60, 99), RGB(0, 0, 0));
    EXPECT_EQ(PixelOf(result.bitmap, 60, 100), RGB(255, 255, 255));
    DeleteObject(result.bitmap);
}

// Large pictures in both reduction modes, chosen per user in the registry.
class ReductionModeTest : public ExtractorTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override { SetQualityMode(GetParam()); }
    PrivateRegistry registry_;
};

TEST_P(ReductionModeTest, FitsLargePicturesIntoTheirRectangle) {
    const Result result = Extract(WriteBitmap("tall.bmp", 100, 200, 8));
    ASSERT_EQ(result.hr, S_OK);
    // Quality mode draws a 24-bit reduction; speed mode keeps the picture's format.
    EXPECT_EQ(result.dib.dsBm.bmBitsPixel, GetParam() ? 24 : 8);
    EXPECT_EQ(PixelOf(result.bitmap, 29, 60), RGB(255, 255, 255));  // R = (30, 0, 90, 120)
    EXPECT_EQ(PixelOf(result.bitmap, 30, 60), RGB(0, 0, 0));
    EXPECT_EQ(PixelOf(result.bitmap, 89, 60), RGB(0, 0, 0));
    EXPECT_EQ(PixelOf(result.bitmap, 90, 60), RGB(255, 255, 255));
    DeleteObject(result.bitmap);
}

TEST_P(ReductionModeTest, APictureWhoseHeightRoundsToZero) {
    const Result flat = Extract(WriteBitmap("flat.bmp", 1000, 4, 24));
    if (GetParam()) {
        EXPECT_EQ(flat.hr, E_FAIL);  // the reduction refuses a zero height
        EXPECT_EQ(flat.bitmap, nullptr);
    } else {
        ASSERT_EQ(flat.hr, S_OK);  // the stretch draws nothing: a blank thumbnail
        EXPECT_EQ(PixelOf(flat.bitmap, 60, 60), RGB(255, 255, 255));
        DeleteObject(flat.bitmap);
    }
}

// The smallest rectangle holding every pixel of the bitmap that is not white.
Rect PaintedArea(HBITMAP bitmap, int edge) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    Rect area{edge, edge, 0, 0};
    for (int y = 0; y < edge; ++y)
        for (int x = 0; x < edge; ++x) {
            if (GetPixel(dc, x, y) == RGB(255, 255, 255)) continue;
            area = {std::min(area.left, x), std::min(area.top, y), std::max(area.right, x + 1),
                    std::max(area.bottom, y + 1)};
        }
    SelectObject(dc, old);
    DeleteDC(dc);
    return area;
}

// Speed mode decodes large JPEGs at a reduced scale (an eighth, a quarter, or
// full size when no reduced size is twice the rectangle): the picture still
// covers the rectangle of its full size, and a damaged file gets the same
// result in both modes.
TEST_P(ReductionModeTest, JPEGsCoverTheRectangleOfTheirFullSize) {
    const struct {
        int width, height;
        Rect target;
    } sizes[] = {{1920, 1280, {0, 20, 120, 100}}, {700, 1000, {18, 0, 102, 120}}, {300, 200, {0, 20, 120, 100}}};
    for (const auto& size : sizes) {
        const std::vector<std::uint8_t> jpeg = test::QuadrantJPEG(size.width, size.height);
        const Result result = Extract(WriteFile("large.jpg", std::string(jpeg.begin(), jpeg.end())));
        ASSERT_EQ(result.hr, S_OK) << size.width << "x" << size.height;
        EXPECT_EQ(result.dib.dsBm.bmBitsPixel, 24);
        const Rect got = PaintedArea(result.bitmap, 120), expected = size.target;
        EXPECT_EQ(std::tie(got.left, got.top, got.right, got.bottom),
                  std::tie(expected.left, expected.top, expected.right, expected.bottom))
            << size.width << "x" << size.height;
        DeleteObject(result.bitmap);
    }

    const std::vector<std::uint8_t> jpeg = test::QuadrantJPEG(1920, 1280);
    std::string marked(jpeg.begin(), jpeg.end());
    marked.replace(marked.size() / 2, 2, "\xFF\xC4");  // a table marker inside the scan
    const std::pair<std::string, HRESULT> damaged[] = {
        {std::string(jpeg.begin(), jpeg.begin() + 100), E_FAIL},            // the header cut short
        {std::string(jpeg.begin(), jpeg.begin() + jpeg.size() / 2), S_OK},  // half of the scan: grey below
        {marked, E_FAIL},
    };
    for (const auto& [bytes, expected] : damaged) {
        const Result result = Extract(WriteFile("damaged.jpg", bytes));
        EXPECT_EQ(result.hr, expected) << bytes.size() << " bytes";
        if (result.bitmap) DeleteObject(result.bitmap);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, ReductionModeTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& mode) { return mode.param ? "Quality" : "Speed"; });

// Palette pictures drawn in their own format (unscaled, or stretched in speed
// mode) keep their colours, and their surroundings stay white.
class WhiteSurroundingsTest : public ExtractorTest,
                              public ::testing::WithParamInterface<std::tuple<test::PaletteCase, bool>> {
protected:
    void SetUp() override { SetQualityMode(false); }
    PrivateRegistry registry_;
};

TEST_P(WhiteSurroundingsTest, KeepsThePictureColoursAndWhiteAround) {
    const auto& [c, stretched] = GetParam();
    // 20 × 10 lands unscaled at (50, 55); 200 × 100 is stretched into (0, 30, 120, 90).
    const int width = stretched ? 200 : 20, height = stretched ? 100 : 10;
    const Rect r = stretched ? Rect{0, 30, 120, 90} : Rect{50, 55, 70, 65};
    TBitmap picture;
    test::PaintTwoHalves(picture, c, width, height);
    const Result result = Extract(WritePng(c.name + (stretched ? "-large.png" : ".png"), picture));
    ASSERT_EQ(result.hr, S_OK);
    EXPECT_EQ(result.dib.dsBm.bmBitsPixel, BitsPerPixel(c.thumbnailFormat));
    const COLORREF white = RGB(255, 255, 255);
    EXPECT_EQ(PixelOf(result.bitmap, 0, 0), white);
    EXPECT_EQ(PixelOf(result.bitmap, 119, 119), white);
    EXPECT_EQ(PixelOf(result.bitmap, 60, r.top - 1), white);
    EXPECT_EQ(PixelOf(result.bitmap, 60, r.bottom), white);
    const PaletteEntry first = c.colors.front(), last = c.colors.back();
    EXPECT_EQ(PixelOf(result.bitmap, r.left, r.top), RGB(first.red, first.green, first.blue));
    EXPECT_EQ(PixelOf(result.bitmap, r.right - 1, r.bottom - 1), RGB(last.red, last.green, last.blue));
    DeleteObject(result.bitmap);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, WhiteSurroundingsTest, ::testing::Combine(::testing::ValuesIn(test::PaletteCases()), ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<test::PaletteCase, bool>>& p) {
        return std::get<0>(p.param).name + (std::get<1>(p.param) ? "Stretched" : "Unscaled");
    });

TEST(EdgeSizeTest, FollowsTheShellLibraryVersion) {
    EXPECT_EQ(EdgeSizeForShellVersion((4u << 16) | 72), 160);
    EXPECT_EQ(EdgeSizeForShellVersion(5u << 16), 120);
    EXPECT_EQ(EdgeSizeForShellVersion(6u << 16), 120);
    EXPECT_EQ(EdgeSizeForShellVersion(LibraryVersion("kernel32.dll")), 160);  // no DllGetVersion
    EXPECT_EQ(LibraryVersion("no-such-library.dll"), 0u);
    EXPECT_GE(LibraryVersion("Shell32.dll"), 5u << 16);
    EXPECT_EQ(ThumbnailEdgeSize(), EdgeSizeForShellVersion(LibraryVersion("Shell32.dll")));
}

// Explorer extracts on several threads at once; the first Extracts of the
// process meet here, where the edge size is found once for all of them.
TEST_F(ExtractorTest, ManyThreadsExtractAtOnce) {
    const std::vector<std::string> files = {
        WriteBitmap("s1.bmp", 64, 48, 4), WriteBitmap("s2.bmp", 640, 480, 24),
        WriteBitmap("s3.bmp", 300, 90, 8), WriteBitmap("s4.bmp", 33, 200, 1)};
    const int gdiBefore = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            for (int i = 0; i < 40; ++i) {
                const Result result = Extract(files[static_cast<std::size_t>(t + i) % files.size()]);
                if (result.hr != S_OK || result.dib.dsBm.bmWidth != 120 || result.dib.dsBm.bmHeight != 120) ++failures;
                if (result.bitmap) DeleteObject(result.bitmap);
            }
            CoUninitialize();
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_LE(static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)), gdiBefore + 2);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);  // every object was released
}

// libjpeg's large objects pass from one picture to the next, whichever thread
// decodes it: every thumbnail made beside other threads has the pixels of its
// file's thumbnail made alone.
TEST_F(ExtractorTest, JPEGsDecodedAtOnceGetTheirOwnPixels) {
    test::CompressOptions progressive;
    progressive.progressive = true;
    const std::pair<const char*, std::vector<std::uint8_t>> files[] = {
        {"p1.jpg", test::QuadrantJPEG(800, 600, progressive)},
        {"p2.jpg", test::QuadrantJPEG(500, 900, progressive)},
        {"b.jpg", test::QuadrantJPEG(1000, 700)}};
    std::vector<std::string> paths;
    std::vector<Result> alone;
    for (const auto& [name, jpeg] : files) {
        paths.push_back(WriteFile(name, std::string(jpeg.begin(), jpeg.end())));
        alone.push_back(Extract(paths.back()));
        ASSERT_EQ(alone.back().hr, S_OK) << name;
    }
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            for (std::size_t i = 0; i < 12; ++i) {
                const std::size_t file = (t + i) % paths.size();
                const Result result = Extract(paths[file]);
                if (result.hr != S_OK || !SamePixels(result.dib.dsBm, alone[file].dib.dsBm)) ++failures;
                if (result.bitmap) DeleteObject(result.bitmap);
            }
            CoUninitialize();
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    for (const Result& result : alone) DeleteObject(result.bitmap);
}

}  // namespace
}  // namespace imvexa
