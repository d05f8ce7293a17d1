#include "StreamBytes.h"

#include <algorithm>

#include "AllocationFailure.h"
#include "RuntimeErrors.h"

namespace imvexa {

namespace {

// Bytes asked of the stream per read: few calls, little memory beyond the file's.
constexpr std::size_t kReadPiece = std::size_t{1} << 20;

}  // namespace

std::wstring StreamName(IStream* stream) {
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_DEFAULT)) || !stat.pwcsName) return {};
    std::wstring name(stat.pwcsName);
    CoTaskMemFree(stat.pwcsName);
    return name;
}

std::vector<std::uint8_t> ReadStreamBytes(IStream* stream, std::size_t limit) {
    // A stream that cannot seek is read from where it stands.
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    return GuardAllocations([&] {
        std::vector<std::uint8_t> bytes;
        STATSTG stat{};
        if (SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)))
            bytes.reserve(static_cast<std::size_t>(std::min<ULONGLONG>(stat.cbSize.QuadPart, limit)));
        std::vector<std::uint8_t> piece(std::min(limit, kReadPiece));
        while (bytes.size() < limit) {
            const ULONG wanted = static_cast<ULONG>(std::min(limit - bytes.size(), piece.size()));
            ULONG read = 0;
            if (FAILED(stream->Read(piece.data(), wanted, &read))) throw EReadError("Stream read error");
            if (read == 0) break;
            bytes.insert(bytes.end(), piece.begin(), piece.begin() + std::min(read, wanted));
        }
        return bytes;
    });
}

}  // namespace imvexa
