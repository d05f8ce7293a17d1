// thumbhost.exe [--dll PATH] [--async] FILE OUT.bmp
// thumbhost.exe [--dll PATH] --provider --size N FILE OUT.bmp|OUT.png
// Asks for a thumbnail the way Explorer does: finds the file type's
// thumbnail handler in the registry (or takes the class straight from the
// DLL given with --dll). The legacy interface: IPersistFile::Load,
// GetLocation and Extract; prints "hr=0x%08X" with Extract's result and
// writes the bitmap as a BMP file in its own bit depth. With --provider: the
// file as a stream to IInitializeWithStream, then GetThumbnail at size N;
// prints "hr=0x%08X", the size and the alpha type (ARGB or RGB) and writes
// the bitmap as a 32-bit BMP file with its alpha bytes, or as an RGBA PNG
// file for a name ending in .png. Exit status: 0 on S_OK, 1 when Extract or
// GetThumbnail failed, 2 for usage or harness errors.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <shobjidl.h>
#include <thumbcache.h>

#include <cstdio>
#include <cwchar>
#include <stdexcept>
#include <string>
#include <vector>

#include "BmpFileWriter.h"
#include "Owners.h"

namespace {

// The handler key of an interface in a file type's ShellEx key, and the
// class of Vignar.cpl that serves it.
struct Handler {
    const wchar_t* interfaceKey;
    const wchar_t* moduleClass;
};
const Handler kExtractor = {L"{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}", L"{5A3C9E71-2B84-4F6D-9C13-7E2A4B8D0F65}"};
const Handler kProvider = {L"{e357fccd-a995-4576-b01f-234630154e96}", L"{CD5D2946-6ADC-47FC-8CF3-040B2BE47F1A}"};
// The largest size thumbhost asks the provider for.
constexpr long kMaxSize = 8192;

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
    bool provider = false;
    long size = 0;
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
        else if (args[i] == L"--provider")
            options.provider = true;
        else if (args[i] == L"--size" && i + 1 < args.size())
            options.size = std::wcstol(args[++i].c_str(), nullptr, 10);
        else
            positional.push_back(args[i]);
    }
    const bool sizeFits = options.provider ? options.size >= 1 && options.size <= kMaxSize : options.size == 0;
    if (positional.size() != 2 || !sizeFits)
        throw HarnessError("usage: thumbhost [--dll PATH] [--async] FILE OUT.bmp\n"
                           "       thumbhost [--dll PATH] --provider --size N FILE OUT.bmp|OUT.png");
    options.file = positional[0];
    options.output = positional[1];
    return options;
}

std::wstring HandlerClassFromRegistry(const std::wstring& file, const Handler& handler) {
    const std::size_t dot = file.find_last_of(L'.');
    const std::size_t slash = file.find_last_of(L"\\/:");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && slash > dot))
        throw HarnessError("the file has no extension");
    const std::wstring key = file.substr(dot) + L"\\ShellEx\\" + handler.interfaceKey;
    wchar_t value[64] = {};
    LONG size = sizeof value;
    if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS || !value[0])
        throw HarnessError("no thumbnail handler is registered for this extension");
    return value;
}

void CreateFromRegistry(const std::wstring& file, const Handler& handler, REFIID riid, void** object) {
    CLSID classId;
    Check(CLSIDFromString(HandlerClassFromRegistry(file, handler).c_str(), &classId), "CLSIDFromString");
    Check(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, riid, object), "CoCreateInstance");
}

void CreateFromDll(const std::wstring& dll, const Handler& handler, REFIID riid, void** object) {
    HMODULE module = LoadLibraryW(dll.c_str());  // stays loaded until the process ends
    if (!module) throw HarnessError("cannot load the DLL");
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto getClassObject =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (!getClassObject) throw HarnessError("the DLL has no DllGetClassObject");
    CLSID classId;
    Check(CLSIDFromString(handler.moduleClass, &classId), "CLSIDFromString");
    ComPtr<IClassFactory> factory;
    Check(getClassObject(classId, IID_IClassFactory, reinterpret_cast<void**>(factory.out())), "DllGetClassObject");
    Check(factory->CreateInstance(nullptr, riid, object), "CreateInstance");
}

void Create(const Options& options, const Handler& handler, REFIID riid, void** object) {
    if (options.dll.empty())
        CreateFromRegistry(options.file, handler, riid, object);
    else
        CreateFromDll(options.dll, handler, riid, object);
}

bool EndsWithPng(const std::wstring& path) {
    return path.size() >= 4 && CompareStringOrdinal(path.c_str() + path.size() - 4, 4, L".png", 4, TRUE) == CSTR_EQUAL;
}

// The provider as Explorer drives it: the file as a stream, then the thumbnail at the size.
int RunProvider(const Options& options) {
    ComPtr<IInitializeWithStream> initialize;
    Create(options, kProvider, IID_IInitializeWithStream, reinterpret_cast<void**>(initialize.out()));
    ComPtr<IStream> stream;
    Check(SHCreateStreamOnFileEx(options.file.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, FILE_ATTRIBUTE_NORMAL, FALSE,
                                 nullptr, stream.out()),
          "SHCreateStreamOnFileEx");
    Check(initialize->Initialize(stream.p, STGM_READ), "IInitializeWithStream::Initialize");
    ComPtr<IThumbnailProvider> provider;
    Check(initialize->QueryInterface(__uuidof(IThumbnailProvider), reinterpret_cast<void**>(provider.out())),
          "QueryInterface");

    HBITMAP made = nullptr;
    WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
    const HRESULT hr = provider->GetThumbnail(static_cast<UINT>(options.size), &made, &alpha);
    const imvexa::win32::Bitmap thumbnail(made);
    if (FAILED(hr)) {
        std::printf("hr=0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    if (!thumbnail) throw HarnessError("GetThumbnail succeeded without a bitmap");
    const BitmapSummary summary = EndsWithPng(options.output) ? WritePngFile(thumbnail.Get(), options.output)
                                                              : WriteBitmapFile(thumbnail.Get(), options.output);
    std::printf("hr=0x%08lX %dx%d %dbpp %s\n", static_cast<unsigned long>(hr), summary.width, summary.height,
                summary.bitsPerPixel, alpha == WTSAT_ARGB ? "ARGB" : alpha == WTSAT_RGB ? "RGB" : "UNKNOWN");
    return 0;
}

int RunExtractor(const Options& options) {
    ComPtr<IPersistFile> persist;
    Create(options, kExtractor, IID_IPersistFile, reinterpret_cast<void**>(persist.out()));
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
            status = options.provider ? RunProvider(options) : RunExtractor(options);
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
