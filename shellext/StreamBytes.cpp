#include "StreamBytes.h"

#include <algorithm>

#include "AllocationFailure.h"
#include "RuntimeErrors.h"

namespace imvexa {

namespace {

// Bytes asked of the stream per read beyond the size it announces: a
// stream without a size, or one longer than it said, is read in such pieces.
constexpr std::size_t kReadPiece = std::size_t{64} << 10;

// Reads up to count bytes into to; fewer only at the stream's end.
std::size_t ReadInto(IStream* stream, std::uint8_t* to, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ULONG wanted = static_cast<ULONG>(std::min<std::size_t>(count - done, ULONG{1} << 30));
        ULONG read = 0;
        if (FAILED(stream->Read(to + done, wanted, &read))) throw EReadError("Stream read error");
        if (read == 0) break;
        done += std::min(read, wanted);
    }
    return done;
}

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
        STATSTG stat{};
        const ULONGLONG announced = SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) ? stat.cbSize.QuadPart : 0;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<ULONGLONG>(announced, limit)));
        bytes.resize(ReadInto(stream, bytes.data(), bytes.size()));
        std::vector<std::uint8_t> piece(std::min(limit, kReadPiece));
        while (bytes.size() < limit) {
            const std::size_t read = ReadInto(stream, piece.data(), std::min(limit - bytes.size(), piece.size()));
            if (read == 0) break;
            bytes.insert(bytes.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(read));
        }
        return bytes;
    });
}

}  // namespace imvexa
