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

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ClassFactory.h"
#include "Common.h"
#include "ExtractCorpus.h"
#include "ImportRedirect.h"
#include "PhotoField.h"
#include "QualityModeSetting.h"

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, void**);

using namespace imvexa;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Options {
    int threads = 2;      // the thread count compared with one thread
    int rounds = 2;       // passes over the folder per thread and measurement
    int repetitions = 7;  // measurements of each thread count per mode
};

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const int value = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--threads") == 0) options.threads = value;
        if (std::strcmp(argv[i], "--rounds") == 0) options.rounds = value;
        if (std::strcmp(argv[i], "--repetitions") == 0) options.repetitions = value;
    }
    return options;
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

// Runs threads threads, each preparing its work (untimed) and then, all let
// go at once, doing it. The seconds from the start to the last thread's end.
using Work = std::function<void()>;
double SecondsAtOnce(int threads, const std::function<Work(int thread)>& prepare) {
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<Clock::time_point> ends(static_cast<std::size_t>(threads));
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            {
                const Work work = prepare(t);
                ++ready;
                while (!go) std::this_thread::yield();
                work();
                ends[static_cast<std::size_t>(t)] = Clock::now();
            }
            CoUninitialize();
        });
    while (ready < threads) std::this_thread::yield();
    const Clock::time_point start = Clock::now();
    go = true;
    for (auto& worker : workers) worker.join();
    return std::chrono::duration<double>(*std::max_element(ends.begin(), ends.end()) - start).count();
}

// Each thread extracts every file rounds times, starting at a file of its
// own, with a class factory of its own; failed extractions are counted.
double ThumbnailsPerSecond(int threads, int rounds, const std::vector<std::string>& files, std::atomic<int>& failures) {
    const std::size_t count = files.size() * static_cast<std::size_t>(rounds);
    const double seconds = SecondsAtOnce(threads, [&](int thread) -> Work {
        IClassFactory* factory = nullptr;
        if (FAILED(DllGetClassObject(CLSID_ExtractImage, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
            return [&failures, count] { failures += static_cast<int>(count); };
        const std::shared_ptr<IClassFactory> owned(factory, [](IClassFactory* f) { f->Release(); });
        return [&, owned, thread, count] {
            for (std::size_t i = 0; i < count; ++i)
                if (!ExtractOnce(owned.get(), files[(i + static_cast<std::size_t>(thread) * 5) % files.size()])) ++failures;
        };
    });
    return static_cast<double>(threads) * static_cast<double>(count) / seconds;
}

// The machine's own ceiling at this moment: each thread computes the rows
// of photograph-like pictures into memory of its own, with no system call
// and no allocation, so that nothing but the processors is shared.
double PicturesPerSecond(int threads, int pictures) {
    constexpr int kWidth = 1600, kHeight = 1200;
    const double seconds = SecondsAtOnce(threads, [pictures](int) -> Work {
        return [pictures] {
            std::vector<std::uint8_t> row(kWidth * 3);
            for (int p = 0; p < pictures; ++p) {
                bench::PhotoField field(kWidth, kHeight, 6);
                for (int y = 0; y < kHeight; ++y) field.Row(y, 3, row.data());
            }
        };
    });
    return static_cast<double>(threads) * pictures / seconds;
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

// The median and the range of a set of figures.
struct Spread {
    double median, low, high;
};

Spread SpreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return {n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2, values.front(), values.back()};
}

void PrintSpread(const std::string& label, const std::vector<double>& values, int decimals) {
    const Spread s = SpreadOf(values);
    std::printf("  %-38s median %.*f (range %.*f-%.*f)\n", label.c_str(), decimals, s.median, decimals, s.low, decimals,
                s.high);
}

// Rates on one thread and on several, measured in pairs, and their ratios.
struct Pairs {
    std::vector<double> one, many, ratios;

    // One pair: the single thread first or last, alternately.
    void Measure(int threads, const std::function<double(int threads)>& rate) {
        const bool oneFirst = one.size() % 2 == 0;
        const double first = rate(oneFirst ? 1 : threads);
        const double second = rate(oneFirst ? threads : 1);
        one.push_back(oneFirst ? first : second);
        many.push_back(oneFirst ? second : first);
        ratios.push_back(many.back() / one.back());
    }
};

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const fs::path folder = fs::temp_directory_path() / ("imvexa-bench-extract-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder);
    const std::vector<std::string> files = bench::WriteExtractCorpus(folder);
    std::printf("files: %zu mixed (JPEG, PNG, MAG, BMP, RLE, text, icon); %d round(s) per thread, %d repetitions\n",
                files.size(), options.rounds, options.repetitions);

    const bool counting = CountDibSections();
    std::atomic<int> failures{0};
    const std::string many = std::to_string(options.threads) + " threads";
    for (const bool quality : {false, true}) {  // ends in the default mode, quality
        bench::SetQualityMode(quality);
        ThumbnailsPerSecond(1, 1, files, failures);  // warm-up: fonts, settings, first-use costs
        const long sectionsBefore = dibSections;
        Pairs thumbnails, ceiling;
        for (int r = 0; r < options.repetitions; ++r) {
            ceiling.Measure(options.threads, [&](int threads) { return PicturesPerSecond(threads, 2 * options.rounds); });
            thumbnails.Measure(options.threads,
                               [&](int threads) { return ThumbnailsPerSecond(threads, options.rounds, files, failures); });
        }
        std::vector<double> relative;
        for (std::size_t i = 0; i < thumbnails.ratios.size(); ++i)
            relative.push_back(thumbnails.ratios[i] / ceiling.ratios[i]);
        const double extractions = static_cast<double>(options.repetitions) * options.rounds * (1 + options.threads) *
                                   static_cast<double>(files.size());
        std::printf("%s mode", quality ? "quality" : "speed");
        if (counting)
            std::printf(" (%.2f DIB sections per Extract)", static_cast<double>(dibSections - sectionsBefore) / extractions);
        std::printf(":\n");
        PrintSpread("thumbnails/s, 1 thread:", thumbnails.one, 1);
        PrintSpread("thumbnails/s, " + many + ":", thumbnails.many, 1);
        PrintSpread(many + " / 1 thread:", thumbnails.ratios, 2);
        PrintSpread("the machine's ceiling, " + many + " / 1:", ceiling.ratios, 2);
        PrintSpread("thumbnails' ratio / ceiling's ratio:", relative, 2);
    }
    std::printf("failures: %d\n", failures.load());
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    CoUninitialize();
    return failures ? 1 : 0;
}
