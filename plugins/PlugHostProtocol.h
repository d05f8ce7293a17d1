#pragma once
// What the DLL and its plug-in host programs say to each other. The 32-bit
// and the 64-bit host speak the same fixed-size little-endian records, so one
// DLL serves both: every field has a fixed width and handles travel as 32-bit
// values (the system keeps handle values within 32 bits for exactly this).
//
// The records lie in a small shared section (the channel) that the host
// inherits with two events: the DLL writes a request and sets the request
// event, the host writes the reply and sets the reply event. Bulky data goes
// through sections of their own: the DLL duplicates a request section into
// the host, the host answers with a picture section that the DLL duplicates
// out of it (and closes in the host while doing so).
#include <cstddef>
#include <cstdint>

namespace imvexa::plughost {

enum class RequestKind : std::uint32_t {
    Describe = 1,  // load the one plug-in named and report its info texts
    Decode = 2,    // offer the file to the named plug-ins in order
};

enum class ReplyStatus : std::uint32_t {
    Rejected = 1,   // Describe: not a picture plug-in the host can call
    Described = 2,  // Describe: texts hold its info
    NotDecoded = 3,
    Decoded = 4,  // section holds the BITMAPINFO, then the bits
};

// A plug-in reads the customary 2 KB head of its data even from shorter
// files: the file's bytes lie in a block rounded up to whole 8192-byte units.
inline constexpr std::uint32_t kFileBlockUnit = 8192;
inline constexpr std::uint64_t FileBlockBytes(std::uint64_t fileBytes) {
    return (fileBytes + kFileBlockUnit - 1) / kFileBlockUnit * kFileBlockUnit;
}

// Request section: the file's block at offset 0 (fileBytes of it are the
// file), then at FileBlockBytes(fileBytes) the plug-in paths, each ANSI text
// followed by a NUL, pathBytes in all.
struct Request {
    RequestKind kind;
    std::uint32_t section;  // handle value in the host
    std::uint32_t fileBytes;
    std::uint32_t pathBytes;
};

inline constexpr std::size_t kInfoTextBytes = 256;
inline constexpr int kInfoTextCount = 4;  // info numbers 0 to 3

struct Reply {
    ReplyStatus status;
    std::uint32_t section;  // Decoded: the picture section's handle value in the host
    std::uint32_t infoBytes;
    std::uint32_t bitsBytes;
    std::uint32_t plugIn;  // Decoded: the index of the plug-in that decoded, among the request's paths
    char texts[kInfoTextCount][kInfoTextBytes];  // Described: NUL-terminated, by info number
};

struct Channel {
    Request request;
    Reply reply;
};

static_assert(sizeof(Request) == 16 && sizeof(Reply) == 20 + kInfoTextCount * kInfoTextBytes,
              "the records have one layout in both architectures");

// The host's command line: the channel, the request event, the reply event,
// a handle of the DLL's process (to end with it) and the private bytes the
// host may keep between calls, as decimal values. A host that holds more
// after a call ends itself without replying.
inline constexpr int kHostArgumentCount = 5;

}  // namespace imvexa::plughost
