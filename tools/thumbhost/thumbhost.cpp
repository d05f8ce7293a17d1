// thumbhost.exe [--dll PATH] [--async] FILE OUT.bmp
// Asks for a thumbnail the way Explorer does: finds the file type's
// thumbnail handler in the registry (or takes the extractor class straight
// from the DLL given with --dll), then IPersistFile::Load, GetLocation and
// Extract. Prints "hr=0x%08X" with Extract's result and writes the bitmap as
// a BMP file in its own bit depth. Exit status: 0 on S_OK, 1 when Extract
// failed, 2 for usage or harness errors.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shobjidl.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "BmpFileWriter.h"
#include "Owners.h"

namespace {

const wchar_t kExtractorClass[] = L"{5A3C9E71-2B84-4F6D-9C13-7E2A4B8D0F65}";
const wchar_t kThumbnailHandler[] = L"{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}";

struct HarnessError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) {
        char text[160];
        std::snprintf(text, sizeof text, "%s failed: hr=0x%08lX", what, static_cast<unsigned long>(hr));
        throw HarnessError(text);
    }
}

template <typename T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr() {
        if (p) p->Release();
    }
    T** out() { return &p; }
    T* operator->() const { return p; }
};

struct Options {
    std::wstring dll;
    bool async = false;
    std::wstring file;
    std::wstring output;
};

Options ParseArguments() {
    int count = 0;
    const imvexa::win32::LocalMemory<LPWSTR*> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!arguments) throw HarnessError("cannot read the command line");
    const std::vector<std::wstring> args(arguments.Get() + 1, arguments.Get() + count);

    Options options;
    std::vector<std::wstring> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == L"--dll" && i + 1 < args.size())
            options.dll = args[++i];
        else if (args[i] == L"--async")
            options.async = true;
        else
            positional.push_back(args[i]);
    }
    if (positional.size() != 2) throw HarnessError("usage: thumbhost [--dll PATH] [--async] FILE OUT.bmp");
    options.file = positional[0];
    options.output = positional[1];
    return options;
}

std::wstring HandlerClassFromRegistry(const std::wstring& file) {
    const std::size_t dot = file.find_last_of(L'.');
    const std::size_t slash = file.find_last_of(L"\\/:");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && slash > dot))
        throw HarnessError("the file has no extension");
    const std::wstring key = file.substr(dot) + L"\\ShellEx\\" + kThumbnailHandler;
    wchar_t value[64] = {};
    LONG size = sizeof value;
    if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS || !value[0])
        throw HarnessError("no thumbnail handler is registered for this extension");
    return value;
}

void CreateFromRegistry(const std::wstring& file, IPersistFile** persist) {
    CLSID classId;
    Check(CLSIDFromString(HandlerClassFromRegistry(file).c_str(), &classId), "CLSIDFromString");
    Check(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFile, reinterpret_cast<void**>(persist)),
          "CoCreateInstance");
}

void CreateFromDll(const std::wstring& dll, IPersistFile** persist) {
    HMODULE module = LoadLibraryW(dll.c_str());  // stays loaded until the process ends
    if (!module) throw HarnessError("cannot load the DLL");
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto getClassObject =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (!getClassObject) throw HarnessError("the DLL has no DllGetClassObject");
    CLSID classId;
    Check(CLSIDFromString(kExtractorClass, &classId), "CLSIDFromString");
    ComPtr<IClassFactory> factory;
    Check(getClassObject(classId, IID_IClassFactory, reinterpret_cast<void**>(factory.out())), "DllGetClassObject");
    Check(factory->CreateInstance(nullptr, IID_IPersistFile, reinterpret_cast<void**>(persist)), "CreateInstance");
}

int Run(const Options& options) {
    ComPtr<IPersistFile> persist;
    if (options.dll.empty())
        CreateFromRegistry(options.file, persist.out());
    else
        CreateFromDll(options.dll, persist.out());
    Check(persist->Load(options.file.c_str(), STGM_READ), "IPersistFile::Load");

    ComPtr<IExtractImage> extractor;
    Check(persist->QueryInterface(IID_IExtractImage, reinterpret_cast<void**>(extractor.out())), "QueryInterface");
    wchar_t location[MAX_PATH] = {};
    DWORD priority = 0;
    const SIZE size{120, 120};
    DWORD flags = options.async ? IEIFLAG_ASYNC : 0;
    extractor->GetLocation(location, MAX_PATH, &priority, &size, 32, &flags);

    HBITMAP extracted = nullptr;
    const HRESULT hr = extractor->Extract(&extracted);
    const imvexa::win32::Bitmap thumbnail(extracted);
    if (FAILED(hr)) {
        std::printf("hr=0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    if (!thumbnail) throw HarnessError("Extract succeeded without a bitmap");
    const BitmapSummary summary = WriteBitmapFile(thumbnail.Get(), options.output);
    std::printf("hr=0x%08lX %dx%d %dbpp\n", static_cast<unsigned long>(hr), summary.width, summary.height,
                summary.bitsPerPixel);
    return 0;
}

}  // namespace

int main() {
    int status = 2;
    try {
        const Options options = ParseArguments();
        Check(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), "CoInitializeEx");
        try {
            status = Run(options);
        } catch (const std::exception& error) {  // the harness's own errors and the output file's
            std::fprintf(stderr, "thumbhost: %s\n", error.what());
        }
        CoUninitialize();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "thumbhost: %s\n", error.what());
    }
    std::fflush(stdout);
    return status;
}
