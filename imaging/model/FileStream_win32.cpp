// TFileStream over a Win32 file handle; paths are in the system code page or UTF-16.
#include <windows.h>

#include <algorithm>

#include "AnsiText.h"
#include "Owners.h"
#include "RuntimeErrors.h"
#include "Stream.h"

namespace imvexa {

namespace {

// Opens path with CreateFileA or CreateFileW (create), as the mode asks.
template <typename Create, typename Char>
HANDLE OpenHandle(Create create, const Char* path, FileMode mode) {
    const bool reading = mode == FileMode::OpenRead;
    return create(path, reading ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE, reading ? FILE_SHARE_READ : 0, nullptr,
                  reading ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

struct TFileStream::Handle {
    win32::FileHandle file;
};

TFileStream::TFileStream(const std::string& path, FileMode mode) : handle_(std::make_unique<Handle>()) {
    handle_->file.Reset(OpenHandle(CreateFileA, path.c_str(), mode));
    if (!handle_->file) throw EFOpenError("Cannot open file \"" + path + "\"");
}

TFileStream::TFileStream(const std::wstring& path, FileMode mode) : handle_(std::make_unique<Handle>()) {
    handle_->file.Reset(OpenHandle(CreateFileW, path.c_str(), mode));
    if (!handle_->file)
        throw EFOpenError("Cannot open file \"" + AnsiText(path, WC_NO_BEST_FIT_CHARS) + "\"");
}

TFileStream::~TFileStream() = default;

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<char*>(buffer);
    std::size_t total = 0;
    while (total < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - total, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(handle_->file.Get(), out + total, chunk, &got, nullptr) || got == 0) break;
        total += got;
    }
    return total;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    const auto* in = static_cast<const char*>(buffer);
    std::size_t total = 0;
    while (total < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - total, 1u << 30));
        DWORD put = 0;
        if (!WriteFile(handle_->file.Get(), in + total, chunk, &put, nullptr) || put == 0) break;
        total += put;
    }
    return total;
}

std::int64_t TFileStream::Seek(std::int64_t offset, SeekOrigin origin) {
    const DWORD method = origin == SeekOrigin::Begin ? FILE_BEGIN : origin == SeekOrigin::Current ? FILE_CURRENT : FILE_END;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER result;
    if (!SetFilePointerEx(handle_->file.Get(), distance, &result, method)) return -1;
    return result.QuadPart;
}

}  // namespace imvexa
