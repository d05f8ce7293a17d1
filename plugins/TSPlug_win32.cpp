#include "TSPlug.h"

#include <cstring>
#include <stdexcept>

#include "AnsiText.h"
#include "AsciiCase.h"
#include "GuardedCall_win32.h"
#include "Owners.h"
#include "PixelLimits.h"

namespace imvexa {

struct TSusiePlugIn::LoadedPlugIn {
    win32::Module library;  // record.Handle
    TPlug record;
    std::mutex calls;  // a plug-in is entered by one thread at a time
};

namespace {

constexpr std::size_t kFileBlockUnit = 8192;

// Everything up to and including the last "\" or ":" (double-byte aware).
std::string FolderPart(const std::string& path) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsAnsiLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size())
            ++i;
        else if (path[i] == '\\' || path[i] == ':')
            end = i + 1;
    }
    return path.substr(0, end);
}

std::vector<std::string> MatchingFiles(const std::string& mask) {
    std::vector<std::string> paths;
    WIN32_FIND_DATAA found;
    const win32::FindHandle search(FindFirstFileA(mask.c_str(), &found));
    if (!search) return paths;
    const std::string folder = FolderPart(mask);
    do {
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)))
            paths.push_back(folder + found.cFileName);
    } while (FindNextFileA(search.Get(), &found));
    return paths;
}

struct InfoCall {
    GetPluginInfoFunction function;
    int number;
    char buffer[256];
};

// One text of GetPluginInfo, or "" when the plug-in faults.
std::string PluginInfo(GetPluginInfoFunction function, int number) {
    InfoCall call{function, number, {}};
    const bool ok = CallGuarded(
        [](void* context) {
            auto* c = static_cast<InfoCall*>(context);
            c->function(c->number, c->buffer, 255);
        },
        &call);
    call.buffer[255] = '\0';
    return ok ? std::string(call.buffer) : std::string();
}

template <typename T>
T ExportAs(HMODULE module, const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

int WINAPI ReportProgress(int numerator, int denominator, LONG_PTR userValue) {
    auto* host = reinterpret_cast<TSusiePlugIn*>(userValue);
    try {
        if (host->OnWorking) host->OnWorking(*host, numerator, denominator);
    } catch (...) {
        // Nothing may travel back through the plug-in's frames.
    }
    return 0;
}

// A global memory block from a plug-in, locked while it lives, then freed.
class PlugInBlock {
public:
    explicit PlugInBlock(HLOCAL handle) : memory_(handle), locked_(handle) {}
    const BYTE* Data() const { return static_cast<const BYTE*>(locked_.Data()); }
    std::size_t Size() const { return locked_.Size(); }

private:
    win32::GlobalMemory memory_;
    win32::LockedGlobal locked_;  // unlocked before the block is freed
};

// The plug-in's picture must describe itself within its own blocks.
bool IsSoundPicture(const PlugInBlock& info, const PlugInBlock& bits) {
    if (!info.Data() || !bits.Data() || info.Size() < sizeof(BITMAPINFOHEADER)) return false;
    BITMAPINFOHEADER header;
    std::memcpy(&header, info.Data(), sizeof header);
    const int bitCount = header.biBitCount;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biWidth <= 0 || header.biHeight == 0 ||
        header.biHeight == INT32_MIN || header.biPlanes != 1)
        return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    if (header.biCompression != BI_RGB && !(header.biCompression == BI_BITFIELDS && bitCount >= 16)) return false;
    const std::int64_t height = header.biHeight < 0 ? -std::int64_t{header.biHeight} : header.biHeight;
    const std::int64_t stride = RowStride(header.biWidth, bitCount);
    if (!WithinPixelLimits(header.biWidth, height, RowStride(header.biWidth, 32))) return false;
    std::uint64_t colors = header.biClrUsed ? header.biClrUsed : (bitCount <= 8 ? 1u << bitCount : 0);
    if (header.biCompression == BI_BITFIELDS) colors += 3;
    return colors <= 256 + 3 && header.biSize + 4 * colors <= info.Size() &&
           static_cast<std::uint64_t>(stride * height) <= bits.Size();
}

// Starts a thread whose routine is kernel32's FreeLibrary itself. A new thread
// runs only once the loader lock is free, and it runs no code of the module
// that started it, which may be gone by then. When no thread can be started
// the library stays loaded, which is safe where freeing it is not.
void FreeOnThreadOfItsOwn(HMODULE library) {
    const auto freeLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "FreeLibrary")));
    const win32::KernelHandle thread(freeLibrary ? CreateThread(nullptr, 0, freeLibrary, library, 0, nullptr)
                                                 : nullptr);
}

}  // namespace

TSusiePlugIn::TSusiePlugIn() = default;

TSusiePlugIn::~TSusiePlugIn() { UnloadPlugIns(); }

bool TSusiePlugIn::IsNewPlugInPath(const std::string& path) const {
    for (const auto& plugIn : plugIns_)
        if (plugIn->record.Path == path) return false;
    return true;
}

std::unique_ptr<TSusiePlugIn::LoadedPlugIn> TSusiePlugIn::Load(const std::string& path) const {
    auto plugIn = std::make_unique<LoadedPlugIn>();
    TPlug& plug = plugIn->record;
    plug.Path = path;
    plugIn->library.Reset(LoadLibraryA(path.c_str()));  // a library of the other architecture fails here
    if (!plugIn->library) return nullptr;
    plug.Handle = plugIn->library.Get();
    plug.GetPluginInfoProc = ExportAs<GetPluginInfoFunction>(plug.Handle, "GetPluginInfo");
    if (plug.GetPluginInfoProc) {
        plug.ApiVersion = PluginInfo(plug.GetPluginInfoProc, 0);
        plug.Info = PluginInfo(plug.GetPluginInfoProc, 1);
        plug.TypeName = PluginInfo(plug.GetPluginInfoProc, 3);
        plug.Extensions = WithAsciiCase(PluginInfo(plug.GetPluginInfoProc, 2), LetterCase::Upper, IsAnsiLeadByte);
        plug.GetPictureInfoProc = GetProcAddress(plug.Handle, "GetPictureInfo");
        plug.IsSupportedProc = ExportAs<IsSupportedFunction>(plug.Handle, "IsSupported");
        plug.GetPictureProc = ExportAs<GetPictureFunction>(plug.Handle, "GetPicture");
        plug.GetPreviewProc = GetProcAddress(plug.Handle, "GetPreview");
    }
    // Picture plug-ins only, and only those the host can actually call.
    const bool usable = plug.GetPluginInfoProc && plug.ApiVersion == "00IN" && plug.IsSupportedProc &&
                        plug.GetPictureProc;
    if (!usable) return nullptr;
    return plugIn;
}

int TSusiePlugIn::LoadPlugIns(const std::string& pathOrMask) {
    int accepted = 0;
    for (const std::string& path : MatchingFiles(pathOrMask)) {
        bool isNew;
        {
            std::shared_lock read(listLock_);
            isNew = IsNewPlugInPath(path);
        }
        std::unique_ptr<LoadedPlugIn> plugIn = Load(path);
        if (!plugIn || !isNew) continue;
        const TPlug& plug = plugIn->record;
        std::unique_lock write(listLock_);
        Filter += plug.TypeName + "   [" + plug.Extensions + "]|" + plug.Extensions + "|";
        plugIns_.push_back(std::move(plugIn));
        ++accepted;
    }
    return accepted;
}

void TSusiePlugIn::UnloadPlugIns() {
    std::unique_lock write(listLock_);
    plugIns_.clear();
}

void TSusiePlugIn::UnloadPlugInsAfterLoaderLock() {
    std::unique_lock write(listLock_);
    // Each library is given to the thread that frees it.
    for (auto& plugIn : plugIns_) FreeOnThreadOfItsOwn(plugIn->library.Release());
    plugIns_.clear();
}

const TPlug* TSusiePlugIn::GetPlugIn(int index) const {
    std::shared_lock read(listLock_);
    if (index < 0 || index >= static_cast<int>(plugIns_.size())) return nullptr;
    return &plugIns_[static_cast<std::size_t>(index)]->record;
}

int TSusiePlugIn::PlugInCount() const {
    std::shared_lock read(listLock_);
    return static_cast<int>(plugIns_.size());
}

void TSusiePlugIn::CopyPlugIn(int index, TPlug& plug) const {
    std::shared_lock read(listLock_);
    if (index < 0 || index >= static_cast<int>(plugIns_.size()))
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    plug = plugIns_[static_cast<std::size_t>(index)]->record;
}

bool TSusiePlugIn::LoadPictureFromFile(const std::string& path, TBitmap& bitmap) {
    TFileStream file(path, FileMode::OpenRead);
    return LoadPictureFromOpenFile(file, bitmap);
}

bool TSusiePlugIn::LoadPictureFromOpenFile(TStream& file, TBitmap& bitmap) {
    const std::int64_t size = file.Size();
    // An empty file gives no block; a huge one is no picture a plug-in should get.
    if (size <= 0 || size > kMaxPixelBytes) return false;
    const std::size_t fileSize = static_cast<std::size_t>(size);
    std::vector<std::uint8_t> block((fileSize + kFileBlockUnit - 1) / kFileBlockUnit * kFileBlockUnit);
    file.ReadBuffer(block.data(), fileSize);
    return LoadPictureFromMemory(block.data(), fileSize, bitmap);
}

bool TSusiePlugIn::LoadPictureFromStream(TMemoryStream& stream, std::size_t size, TBitmap& bitmap) {
    return LoadPictureFromMemory(stream.Bytes().data(), size, bitmap);
}

bool TSusiePlugIn::LoadPictureFromMemory(const void* data, std::size_t size, TBitmap& bitmap) {
    if (!data) return false;
    std::shared_lock read(listLock_);
    for (auto& plugIn : plugIns_) {
        std::lock_guard one(plugIn->calls);
        if (Decode(*plugIn, data, size, bitmap)) return true;
    }
    return false;
}

namespace {

struct IsSupportedCall {
    IsSupportedFunction function;
    DWORD_PTR data;
    int result = 0;
};

struct GetPictureCall {
    GetPictureFunction function;
    LPCSTR data;
    LONG_PTR size;
    LONG_PTR host;
    HLOCAL info = nullptr;
    HLOCAL bits = nullptr;
    int result = -1;
};

}  // namespace

bool TSusiePlugIn::Decode(LoadedPlugIn& plugIn, const void* data, std::size_t size, TBitmap& bitmap) {
    const TPlug& plug = plugIn.record;
    IsSupportedCall supported{plug.IsSupportedProc, reinterpret_cast<DWORD_PTR>(data)};
    const bool answered = CallGuarded(
        [](void* context) {
            auto* c = static_cast<IsSupportedCall*>(context);
            c->result = c->function(nullptr, c->data);
        },
        &supported);
    if (!answered || supported.result == 0) return false;

    GetPictureCall picture{plug.GetPictureProc, static_cast<LPCSTR>(data), static_cast<LONG_PTR>(size),
                           reinterpret_cast<LONG_PTR>(this)};
    const bool returned = CallGuarded(
        [](void* context) {
            auto* c = static_cast<GetPictureCall*>(context);
            c->result = c->function(c->data, c->size, 1, &c->info, &c->bits, ReportProgress, c->host);
        },
        &picture);
    if (!returned || picture.result != 0) return false;

    // Declared bits first: the information block is freed first.
    const PlugInBlock bits(picture.bits);
    const PlugInBlock info(picture.info);
    if (!IsSoundPicture(info, bits)) return false;
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(info.Data());
    const int width = header->biWidth;
    const int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    // The bitmap keeps its own format; GDI converts the plug-in's pixels, and
    // turns a top-down picture upright.
    bitmap.SetWidth(width);
    bitmap.SetHeight(height);
    StretchDIBits(bitmap.Canvas(), 0, 0, width, height, 0, 0, width, height, bits.Data(),
                  reinterpret_cast<const BITMAPINFO*>(info.Data()), DIB_RGB_COLORS, SRCCOPY);
    GdiFlush();
    return true;
}

}  // namespace imvexa
