#pragma once
// The DLL's side of a plug-in host program: the process is started on first
// need, in a job that limits its memory and ends it with this process, and
// kept for later calls. A call that the host does not answer in time ends
// the host; a host that has ended (a plug-in crashed it, or anyone killed it)
// answers that one call with nothing, and the next call starts a new one.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Owners.h"
#include "PlugHostProtocol.h"
#include "PlugInHostNames.h"

namespace imvexa {

// Times in milliseconds (<chrono> is no header for code compiled with the
// Japanese execution character set).
// How long one call may take: loading a plug-in, or offering it a file and
// receiving the picture. Generous for a slow plug-in on a large file, short
// enough that a hung one costs a thumbnail rather than a folder view.
inline constexpr DWORD kPlugInCallTimeout = 10000;

// How long a host may take to start, before it loads any plug-in: far longer
// than any start on a working system, even a busy one, or under emulation
// (about a minute); only a host that cannot start at all waits this long.
inline constexpr DWORD kPlugInHostStartTimeout = 120000;

// The memory a host may commit: the file it was handed and the plug-in's
// picture, each up to the largest picture block, with room for the
// plug-in's own work. Beyond it, allocations fail (the host goes on).
inline constexpr std::uint64_t kPlugInHostMemoryLimit = std::uint64_t{3} << 30;

// The private memory a host may keep after a call, when the call's file and
// picture are gone: more is a plug-in's leak, and would leave too little
// under the limit above for the next call. The host ends itself above it
// (that call's file is lost, the next call starts a new host).
inline constexpr std::uint64_t kPlugInHostKeptMemoryLimit = std::uint64_t{1} << 30;

// The largest picture header a host may send: far more than any header with
// its colour table; the picture is refused beyond it.
inline constexpr std::uint32_t kMaxPlugInInfoBytes = 64 * 1024;

// A picture a plug-in decoded, copied out of the host's section into memory
// of this process, so that nothing left running in the host can change it
// once it is checked. Its contents come from outside this process: check them
// before use. At most kMaxPixelBytes of the bits are taken: no picture within
// the pixel limits needs more.
struct HostPicture {
    std::vector<std::uint8_t> bytes;  // the header with its colours, then the bits
    std::uint32_t infoBytes = 0;
    std::uint32_t plugInIndex = 0;  // in the list the host was given

    std::span<const std::uint8_t> Info() const { return std::span(bytes).first(infoBytes); }
    std::span<const std::uint8_t> Bits() const { return std::span(bytes).subspan(infoBytes); }
};

class PlugInHost {
public:
    // keptMemoryLimit: the private bytes the host may keep after a call.
    PlugInHost(std::wstring program, DWORD callTimeout, std::uint64_t keptMemoryLimit);
    ~PlugInHost();
    PlugInHost(const PlugInHost&) = delete;
    PlugInHost& operator=(const PlugInHost&) = delete;

    // The plug-in's four info texts (by info number), or nothing when it is
    // no picture plug-in the host can call or the host did not answer.
    std::optional<std::vector<std::string>> Describe(const std::string& path);
    // The picture of the first of the plug-ins that decodes the file, or
    // nothing.
    std::optional<HostPicture> Decode(std::span<const std::uint8_t> file, std::span<const std::string> paths);
    // Ends the host; the next call starts a new one.
    void Stop();

private:
    struct Running;
    struct Answer;

    std::unique_ptr<Running> Start() const;
    std::optional<Answer> Call(plughost::RequestKind kind, std::span<const std::uint8_t> file,
                               std::span<const std::string> paths);

    const std::wstring program_;
    const DWORD callTimeout_;  // milliseconds
    const std::uint64_t keptMemoryLimit_;
    std::mutex calls_;  // one call at a time per host
    std::unique_ptr<Running> running_;
};

// The full path of a host program in the folder of the module this code is in.
std::wstring PlugInHostProgram(const char* name);

}  // namespace imvexa
