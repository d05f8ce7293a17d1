#include "TSPlug.h"

#include <cstring>
#include <stdexcept>

#include "AnsiText.h"
#include "AsciiCase.h"
#include "Owners.h"
#include "PixelLimits.h"

namespace imvexa {

namespace {

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

// 64-bit plug-ins are named *.sph; every other plug-in is a 32-bit one.
bool IsSixtyFourBitPlugIn(const std::string& path) {
    return path.size() >= 4 && WithAsciiCase(path.substr(path.size() - 4), LetterCase::Lower, IsAnsiLeadByte) == ".sph";
}

// The plug-in's picture comes from another process: it must describe itself
// within its own blocks before GDI reads it.
bool IsSoundPicture(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits) {
    if (info.size() < sizeof(BITMAPINFOHEADER)) return false;
    BITMAPINFOHEADER header;
    std::memcpy(&header, info.data(), sizeof header);
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
    return colors <= 256 + 3 && header.biSize + 4 * colors <= info.size() &&
           static_cast<std::uint64_t>(stride * height) <= bits.size();
}

// The bitmap keeps its own format; GDI converts the plug-in's pixels, and
// turns a top-down picture upright.
void DrawPicture(const HostPicture& picture, TBitmap& bitmap) {
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(picture.Info().data());
    const int width = header->biWidth;
    const int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    bitmap.SetWidth(width);
    bitmap.SetHeight(height);
    StretchDIBits(bitmap.Canvas(), 0, 0, width, height, 0, 0, width, height, picture.Bits().data(),
                  reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS, SRCCOPY);
    GdiFlush();
}

}  // namespace

TSusiePlugIn::TSusiePlugIn(DWORD callTimeout, std::uint64_t keptMemoryLimit) {
    for (const char* program : kPlugInHosts)
        hosts_.push_back(std::make_unique<PlugInHost>(PlugInHostProgram(program), callTimeout, keptMemoryLimit));
}

TSusiePlugIn::~TSusiePlugIn() = default;

PlugInHost& TSusiePlugIn::HostFor(const std::string& path) {
    return *hosts_[hosts_.size() > 1 && IsSixtyFourBitPlugIn(path) ? 1 : 0];
}

bool TSusiePlugIn::IsNewPlugInPath(const std::string& path) const {
    for (const auto& plugIn : plugIns_)
        if (plugIn->record.Path == path) return false;
    return true;
}

int TSusiePlugIn::LoadPlugIns(const std::string& pathOrMask) {
    int accepted = 0;
    for (const std::string& path : MatchingFiles(pathOrMask)) {
        {
            std::shared_lock read(listLock_);
            if (!IsNewPlugInPath(path)) continue;
        }
        PlugInHost& host = HostFor(path);
        const std::optional<std::vector<std::string>> texts = host.Describe(path);
        if (!texts) continue;
        auto plugIn = std::make_unique<ListedPlugIn>(ListedPlugIn{
            {path, (*texts)[0], (*texts)[1], WithAsciiCase((*texts)[2], LetterCase::Upper, IsAnsiLeadByte), (*texts)[3]},
            &host});
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
    for (auto& host : hosts_) host->Stop();
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
    const std::int64_t size = file.Size();
    // A huge file is no picture a plug-in should get.
    if (size <= 0 || size > kMaxPixelBytes) return false;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    file.ReadBuffer(bytes.data(), bytes.size());
    return LoadPictureFromMemory(bytes.data(), bytes.size(), bitmap);
}

bool TSusiePlugIn::LoadPictureFromStream(TMemoryStream& stream, std::size_t size, TBitmap& bitmap) {
    return LoadPictureFromMemory(stream.Bytes().data(), size, bitmap);
}

bool TSusiePlugIn::LoadPictureFromMemory(const void* data, std::size_t size, TBitmap& bitmap) {
    // An empty file gives no block: no plug-in is asked.
    if (!data || size == 0 || static_cast<std::uint64_t>(size) > static_cast<std::uint64_t>(kMaxPixelBytes))
        return false;
    return Decode({static_cast<const std::uint8_t*>(data), size}, bitmap);
}

// Each run of neighbours in the list that share a host goes to that host in
// one call; a plug-in whose picture is unsound is passed over like one that
// failed.
bool TSusiePlugIn::Decode(std::span<const std::uint8_t> file, TBitmap& bitmap) {
    std::shared_lock read(listLock_);
    std::size_t first = 0;
    while (first < plugIns_.size()) {
        PlugInHost& host = *plugIns_[first]->host;
        std::vector<std::string> paths;
        for (std::size_t i = first; i < plugIns_.size() && plugIns_[i]->host == &host; ++i)
            paths.push_back(plugIns_[i]->record.Path);
        const std::optional<HostPicture> picture = host.Decode(file, paths);
        if (picture && IsSoundPicture(picture->Info(), picture->Bits())) {
            DrawPicture(*picture, bitmap);
            return true;
        }
        first += picture ? picture->plugInIndex + 1 : paths.size();
    }
    return false;
}

}  // namespace imvexa
