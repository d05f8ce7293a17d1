// Thumbnails per second through IExtractImage::Extract over a folder of mixed
// files, in both reduction modes, on one thread and on several at once, and
// the DIB sections made per Extract. Every thread works as an Explorer thread
// does: its own single-threaded apartment, its own class factory, one
// extractor object per file. Each repetition measures one thread and then
// several (or the other way round), so the ratio of the two comes from the
// same moment of a busy machine; next to it the same ratio for work that
// shares nothing but the processors, the most the machine gives at that
// moment. Medians and ranges are over the repetitions.
// Windows only; run it under wine64:
//   bench_extract.exe [--threads N] [--rounds R] [--repetitions K]
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ClassFactory.h"
#include "Common.h"
#include "ExtractCorpus.h"
#include "ImportRedirect.h"
#include "QualityModeSetting.h"
#include "ThreadScaling.h"

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, void**);

using namespace imvexa;
namespace fs = std::filesystem;

namespace {

using bench::SecondsAtOnce;
using bench::Work;

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

// A thread of Explorer's: its own single-threaded apartment and class factory.
struct ExtractorThread {
    struct Apartment {
        Apartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
        ~Apartment() { CoUninitialize(); }
    } apartment;
    IClassFactory* factory = nullptr;

    ExtractorThread() {
        DllGetClassObject(CLSID_ExtractImage, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    }
    ~ExtractorThread() {
        if (factory) factory->Release();
    }
};

// Each thread extracts every file rounds times, starting at a file of its
// own, with a class factory of its own; failed extractions are counted.
double ThumbnailsPerSecond(int threads, int rounds, const std::vector<std::string>& files, std::atomic<int>& failures) {
    const std::size_t count = files.size() * static_cast<std::size_t>(rounds);
    const double seconds = SecondsAtOnce(threads, [&](int thread) -> Work {
        const auto objects = std::make_shared<ExtractorThread>();
        if (!objects->factory) return [&failures, count] { failures += static_cast<int>(count); };
        return [&, objects, thread, count] {
            for (std::size_t i = 0; i < count; ++i)
                if (!ExtractOnce(objects->factory, files[(i + static_cast<std::size_t>(thread) * 5) % files.size()])) ++failures;
        };
    });
    return static_cast<double>(threads) * static_cast<double>(count) / seconds;
}

// The platform's part of every thumbnail, done count times per thread with
// no decoding: the floor under the thumbnails' figures.
using Floor = void (*)(const std::wstring& file);

// The DIB section that Extract hands back and its caller deletes: made,
// filled white, deleted.
void ThumbnailSection(const std::wstring&) {
    constexpr int kEdge = 120;  // 24-bit rows of 360 bytes: no padding
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kEdge, kEdge, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section) return;
    std::memset(bits, 0xFF, std::size_t{kEdge} * kEdge * 3);
    DeleteObject(section);
}

// The picture's file: opened, its first bytes read, closed.
void PictureFile(const std::wstring& file) {
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    char head[64];
    DWORD read = 0;
    ReadFile(handle, head, sizeof head, &read, nullptr);
    CloseHandle(handle);
}

double FloorPerSecond(Floor floor, const std::wstring& file, int threads, int count) {
    const double seconds = SecondsAtOnce(threads, [&](int) -> Work {
        return [&] {
            for (int i = 0; i < count; ++i) floor(file);
        };
    });
    return static_cast<double>(threads) * count / seconds;
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

}  // namespace

int main(int argc, char** argv) {
    const bench::ScalingOptions options = bench::ParseScalingOptions(argc, argv);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const fs::path folder = fs::temp_directory_path() / ("imvexa-bench-extract-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder);
    const std::vector<std::string> files = bench::WriteExtractCorpus(folder);
    std::printf("files: %zu mixed (JPEG, PNG, MAG, BMP, RLE, text, icon); %d round(s) per thread, %d repetitions\n",
                files.size(), options.rounds, options.repetitions);

    const bool counting = CountDibSections();
    std::atomic<int> failures{0};
    for (const bool quality : {false, true}) {  // ends in the default mode, quality
        bench::SetQualityMode(quality);
        ThumbnailsPerSecond(1, 1, files, failures);  // warm-up: fonts, settings, first-use costs
        const long sectionsBefore = dibSections;
        bench::Pairs thumbnails, ceiling;
        for (int r = 0; r < options.repetitions; ++r) {
            ceiling.Measure(options.threads, [&](int threads) { return bench::PicturesPerSecond(threads, 2 * options.rounds); });
            thumbnails.Measure(options.threads,
                               [&](int threads) { return ThumbnailsPerSecond(threads, options.rounds, files, failures); });
        }
        const double extractions = static_cast<double>(options.repetitions) * options.rounds * (1 + options.threads) *
                                   static_cast<double>(files.size());
        std::printf("%s mode", quality ? "quality" : "speed");
        if (counting)
            std::printf(" (%.2f DIB sections per Extract)", static_cast<double>(dibSections - sectionsBefore) / extractions);
        std::printf(":\n");
        bench::PrintScaling("thumbnails/s", options.threads, thumbnails, ceiling);
    }
    const std::wstring file(files.front().begin(), files.front().end());
    for (const auto& [floor, what] : {std::pair{&ThumbnailSection, "the thumbnail's DIB section (made, filled, deleted)"},
                                      std::pair{&PictureFile, "a picture's file (opened, its head read, closed)"}}) {
        bench::Pairs done, ceiling;
        for (int r = 0; r < options.repetitions; ++r) {
            ceiling.Measure(options.threads, [&](int threads) { return bench::PicturesPerSecond(threads, 2 * options.rounds); });
            done.Measure(options.threads, [&](int threads) { return FloorPerSecond(floor, file, threads, 200 * options.rounds); });
        }
        std::printf("%s alone:\n", what);
        bench::PrintScaling("times/s", options.threads, done, ceiling);
    }
    std::printf("failures: %d\n", failures.load());
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    CoUninitialize();
    return failures ? 1 : 0;
}
