// extract_samples DLL SAMPLES PLUGIN OUT: loads the extractor from DLL the way
// Explorer does and asks it for the thumbnail of every file in SAMPLES and of
// a picture that only PLUGIN reads, first in quality mode, then in speed
// mode. Writes OUT\quality\NAME.bmp, OUT\speed\NAME.bmp and OUT\results.txt
// (one line per file and mode). One process for all of them: the x86 build
// runs it under emulation, where every start costs a minute, and its outputs
// must equal the x64 build's byte for byte (compare_x86_x64.sh).
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BmpFileWriter.h"
#include "ExtractAsExplorer.h"
#include "PlugInPicture.h"
#include "Registration.h"
#include "RegistryLayout.h"
#include "WindowsTestSupport.h"

namespace {

namespace fs = std::filesystem;

void SetValue(HKEY root, const char* key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY handle;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error(std::string("cannot create ") + key);
    RegSetValueExA(handle, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
}

IClassFactory* ExtractorFactory(const fs::path& dll) {
    HMODULE module = LoadLibraryW(dll.c_str());  // stays loaded until the process ends
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto getClassObject = module ? reinterpret_cast<GetClassObject>(
                                       reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")))
                                 : nullptr;
    const std::string classText = imvexa::kExtractorClassText;
    CLSID classId;
    CLSIDFromString(std::wstring(classText.begin(), classText.end()).c_str(), &classId);
    IClassFactory* factory = nullptr;
    if (!getClassObject || FAILED(getClassObject(classId, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
        throw std::runtime_error("cannot load the extractor from the DLL");
    return factory;
}

// "WxH Nbpp" for a thumbnail written to output, or the failing step's HRESULT.
std::string Extract(IClassFactory& factory, const fs::path& file, const fs::path& output) {
    imvexa::win32::Bitmap bitmap;
    const HRESULT hr = imvexa::ExtractAsExplorer(factory, file, bitmap);
    char text[64];
    if (FAILED(hr) || !bitmap) {
        std::snprintf(text, sizeof text, "hr=0x%08lX", static_cast<unsigned long>(hr));
        return text;
    }
    const BitmapSummary summary = WriteBitmapFile(bitmap.Get(), output.wstring());
    std::snprintf(text, sizeof text, "%dx%d %dbpp", summary.width, summary.height, summary.bitsPerPixel);
    return text;
}

int Run(const fs::path& dll, const fs::path& samples, const std::string& plugIn, const fs::path& out) {
    // The settings of this run only, whatever the prefix's registry holds.
    imvexa::PrivateRegistry registry;
    SetValue(HKEY_LOCAL_MACHINE, imvexa::kPlugInsKey, plugIn.c_str(), REG_SZ, "", 1);
    fs::create_directories(out);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(samples))
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    files.push_back(imvexa::WritePlugInPicture(out));

    IClassFactory* factory = ExtractorFactory(dll);
    std::ofstream results(out / "results.txt");
    for (const auto& [mode, quality] : {std::pair{"quality", DWORD{1}}, std::pair{"speed", DWORD{0}}}) {
        SetValue(HKEY_CURRENT_USER, imvexa::kSettingsKey, "Quality", REG_DWORD, &quality, sizeof quality);
        fs::create_directories(out / mode);
        for (const fs::path& file : files) {
            const std::string name = file.filename().string();
            const std::string line =
                mode + (" " + name) + ": " + Extract(*factory, file, out / mode / (name + ".bmp"));
            results << line << '\n';
            std::printf("%s\n", line.c_str());
        }
    }
    factory->Release();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: extract_samples DLL SAMPLES PLUGIN OUT\n");
        return 2;
    }
    int status = 2;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return status;
    try {
        status = Run(argv[1], argv[2], argv[3], argv[4]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "extract_samples: %s\n", error.what());
    }
    CoUninitialize();
    std::fflush(stdout);
    return status;
}
