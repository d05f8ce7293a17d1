#include "FileBytes.h"

#include <windows.h>

#include <algorithm>
#include <limits>

#include "AllocationFailure.h"
#include "AnsiText.h"
#include "Owners.h"
#include "RuntimeErrors.h"

namespace imvexa {

TFileBytes::TFileBytes(const std::wstring& path) {
    const win32::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) throw EFOpenError("Cannot open file \"" + AnsiText(path, WC_NO_BEST_FIT_CHARS) + "\"");
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > std::numeric_limits<std::size_t>::max())
        throw EReadError("Stream read error");
    const auto length = static_cast<std::size_t>(size.QuadPart);
    TByteBuffer& bytes = bytes_.Bytes();
    GuardAllocations([&] { bytes_.Take(length).resize(length); });
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, DWORD{1} << 30));
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes.data() + done, piece, &read, nullptr) || read == 0)
            throw EReadError("Stream read error");
        done += read;
    }
}

}  // namespace imvexa
