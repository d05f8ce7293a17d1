// Thumbnails per second through IExtractImage::Extract over a folder of mixed
// files, in both reduction modes, on one thread and on several at once, and
// the DIB sections made per Extract. Every thread works as an Explorer thread
// does: its own single-threaded apartment, its own class factory, one
// extractor object per file. Each repetition measures one thread and then
// several (or the other way round), so the ratio of the two comes from the
// same moment of a busy machine; medians and ranges are over the repetitions.
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
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ClassFactory.h"
#include "Common.h"
#include "ExtractCorpus.h"
#include "Registry.h"

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

// One measurement: threads threads, each extracting every file rounds times
// (starting at a file of its own), all let go at once. Thumbnails per second
// from the start to the last thread's end; failed extractions are counted.
double ThumbnailsPerSecond(int threads, int rounds, const std::vector<std::string>& files, std::atomic<int>& failures) {
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<Clock::time_point> ends(static_cast<std::size_t>(threads));
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            IClassFactory* factory = nullptr;
            const bool created = SUCCEEDED(
                DllGetClassObject(CLSID_ExtractImage, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
            ++ready;
            while (!go) std::this_thread::yield();
            for (std::size_t i = 0; i < files.size() * static_cast<std::size_t>(rounds); ++i)
                if (!created || !ExtractOnce(factory, files[(i + static_cast<std::size_t>(t) * 5) % files.size()]))
                    ++failures;
            ends[static_cast<std::size_t>(t)] = Clock::now();
            if (factory) factory->Release();
            CoUninitialize();
        });
    while (ready < threads) std::this_thread::yield();
    const Clock::time_point start = Clock::now();
    go = true;
    for (auto& worker : workers) worker.join();
    const double seconds = std::chrono::duration<double>(*std::max_element(ends.begin(), ends.end()) - start).count();
    return static_cast<double>(threads) * rounds * static_cast<double>(files.size()) / seconds;
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
    auto* base = reinterpret_cast<std::uint8_t*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); library->Name;
         ++library) {
        auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; name->u1.AddressOfData; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "CreateDIBSection") != 0) continue;
            DWORD protection = 0;
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), PAGE_READWRITE, &protection);
            realCreateDIBSection = reinterpret_cast<decltype(&CreateDIBSection)>(slot->u1.Function);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(&CountedCreateDIBSection);
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), protection, &protection);
            return true;
        }
    }
    return false;
}

// Sets the per-user reduction mode that Extract reads.
void SetQualityMode(bool quality) {
    TRegistry user(HKEY_CURRENT_USER);
    user.OpenKey(kSettingsKey, KeyAccess::Create);
    user.WriteBool(kQualityValue, quality);
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

void PrintSpread(const char* label, const Spread& s, int decimals) {
    std::printf("  %-22s median %.*f (range %.*f-%.*f)\n", label, decimals, s.median, decimals, s.low, decimals, s.high);
}

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
    for (const bool quality : {false, true}) {  // ends in the default mode, quality
        SetQualityMode(quality);
        ThumbnailsPerSecond(1, 1, files, failures);  // warm-up: fonts, settings, first-use costs
        const long sectionsBefore = dibSections;
        std::vector<double> one, many, ratios;
        for (int r = 0; r < options.repetitions; ++r) {
            const bool oneFirst = r % 2 == 0;
            const double first = ThumbnailsPerSecond(oneFirst ? 1 : options.threads, options.rounds, files, failures);
            const double second = ThumbnailsPerSecond(oneFirst ? options.threads : 1, options.rounds, files, failures);
            one.push_back(oneFirst ? first : second);
            many.push_back(oneFirst ? second : first);
            ratios.push_back(many.back() / one.back());
        }
        const double extractions =
            static_cast<double>(options.repetitions) * options.rounds * (1 + options.threads) * static_cast<double>(files.size());
        std::printf("%s mode", quality ? "quality" : "speed");
        if (counting) std::printf(" (%.2f DIB sections per Extract)", static_cast<double>(dibSections - sectionsBefore) / extractions);
        std::printf(", thumbnails/s:\n");
        const std::string manyLabel = std::to_string(options.threads) + " threads:";
        const std::string ratioLabel = std::to_string(options.threads) + " threads / 1 thread:";
        PrintSpread("1 thread:", SpreadOf(one), 1);
        PrintSpread(manyLabel.c_str(), SpreadOf(many), 1);
        PrintSpread(ratioLabel.c_str(), SpreadOf(ratios), 2);
    }
    std::printf("failures: %d\n", failures.load());
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    CoUninitialize();
    return failures ? 1 : 0;
}
