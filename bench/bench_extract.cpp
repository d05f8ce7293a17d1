// Thumbnails per second through IExtractImage::Extract for a folder of mixed
// bitmap files in both reduction modes, the share of that time spent outside
// decoding (the decode-only pass over the same files is measured in the same
// run), and the DIB sections made per Extract.
// Windows only; run it under wine64: bench_extract.exe [ROUNDS]
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Bitmap.h"
#include "ClassFactory.h"
#include "Common.h"
#include "ImportRedirect.h"
#include "QualityModeSetting.h"

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, void**);

using namespace imvexa;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Sample {
    int width, height;
    TPixelFormat format;
};

std::vector<std::string> WriteSamples(const fs::path& folder) {
    const Sample samples[] = {{1600, 1200, TPixelFormat::Bit24}, {800, 600, TPixelFormat::Bit8},
                              {640, 480, TPixelFormat::Bit4},    {2000, 1500, TPixelFormat::Bit1},
                              {100, 80, TPixelFormat::Bit24},    {1024, 768, TPixelFormat::Device}};
    std::vector<std::string> paths;
    for (const Sample& s : samples) {
        TBitmap picture;
        picture.SetPixelFormat(s.format);
        picture.SetSize(s.width, s.height);
        Ellipse(picture.Canvas(), 0, 0, s.width, s.height);
        GdiFlush();
        paths.push_back((folder / ("sample" + std::to_string(paths.size()) + ".bmp")).string());
        picture.SaveToFile(paths.back());
    }
    return paths;
}

bool ExtractOnce(IClassFactory* factory, const std::string& path) {
    IPersistFile* persist = nullptr;
    if (FAILED(factory->CreateInstance(nullptr, IID_IPersistFile, reinterpret_cast<void**>(&persist)))) return false;
    IExtractImage* extractor = nullptr;
    HBITMAP bitmap = nullptr;
    const std::wstring wide(path.begin(), path.end());
    const bool ok = SUCCEEDED(persist->Load(wide.c_str(), STGM_READ)) &&
                    SUCCEEDED(persist->QueryInterface(IID_IExtractImage, reinterpret_cast<void**>(&extractor))) &&
                    extractor->Extract(&bitmap) == S_OK;
    if (bitmap) DeleteObject(bitmap);
    if (extractor) extractor->Release();
    persist->Release();
    return ok;
}

// The DIB sections made in this process: the program's import of
// CreateDIBSection (the extractor is linked in) is redirected to a counter.
std::atomic<long> dibSections{0};
decltype(&CreateDIBSection) realCreateDIBSection = nullptr;

HBITMAP WINAPI CountedCreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                       DWORD offset) {
    ++dibSections;
    return realCreateDIBSection(dc, info, usage, bits, section, offset);
}

bool CountDibSections() {
    realCreateDIBSection = bench::RedirectImport("CreateDIBSection", &CountedCreateDIBSection);
    return realCreateDIBSection != nullptr;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const fs::path folder = fs::temp_directory_path() / "imvexa-bench-extract";
    fs::create_directories(folder);
    const std::vector<std::string> files = WriteSamples(folder);

    IClassFactory* factory = nullptr;
    if (FAILED(DllGetClassObject(CLSID_ExtractImage, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) return 1;

    auto start = Clock::now();
    for (int r = 0; r < rounds; ++r)
        for (const auto& file : files) {
            TBitmap picture;
            picture.LoadFromFile(file);
        }
    const double decodeSeconds = Seconds(Clock::now() - start);

    const double count = static_cast<double>(rounds) * static_cast<double>(files.size());
    std::printf("files: %zu mixed bitmaps, %d rounds\n", files.size(), rounds);
    std::printf("decode only: %.2f ms each\n", 1000 * decodeSeconds / count);
    const bool counting = CountDibSections();
    int failures = 0;
    for (const bool quality : {false, true}) {  // ends in the default mode, quality
        bench::SetQualityMode(quality);
        const long sectionsBefore = dibSections;
        start = Clock::now();
        for (int r = 0; r < rounds; ++r)
            for (const auto& file : files) failures += ExtractOnce(factory, file) ? 0 : 1;
        const double extractSeconds = Seconds(Clock::now() - start);
        std::printf("%s mode: Extract %.1f thumbnails/s (%.2f ms each), outside decoding %.0f %%", quality ? "quality" : "speed",
                    count / extractSeconds, 1000 * extractSeconds / count, 100 * (1 - decodeSeconds / extractSeconds));
        if (counting) std::printf(", %.2f DIB sections per Extract", static_cast<double>(dibSections - sectionsBefore) / count);
        std::printf("\n");
    }
    std::printf("failures: %d\n", failures);
    factory->Release();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    CoUninitialize();
    return failures ? 1 : 0;
}
