#include "MappedFile.h"

#include <limits>

#include "AnsiText.h"
#include "RuntimeErrors.h"

namespace imvexa {

TMappedFile::TMappedFile(const std::wstring& path)
    : file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                        nullptr)) {
    if (!file_) throw EFOpenError("Cannot open file \"" + AnsiText(path, WC_NO_BEST_FIT_CHARS) + "\"");
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.Get(), &size) || static_cast<std::uint64_t>(size.QuadPart) > std::numeric_limits<std::size_t>::max())
        throw EReadError("Stream read error");
    // A file of no bytes cannot be mapped; it is read as one with none.
    if (size.QuadPart == 0) return;
    mapping_.Reset(CreateFileMappingW(file_.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (mapping_) view_.Reset(MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!view_) throw EReadError("Stream read error");
    size_ = static_cast<std::size_t>(size.QuadPart);
}

}  // namespace imvexa
