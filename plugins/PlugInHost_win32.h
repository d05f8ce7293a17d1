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
// plug-in's own work. A plug-in that leaks on every call is ended by it.
inline constexpr std::uint64_t kPlugInHostMemoryLimit = std::uint64_t{3} << 30;

// A picture a plug-in decoded, mapped read-only from the host's section. Its
// contents come from outside this process: check them before use.
struct HostPicture {
    win32::FileView view;
    std::uint32_t infoBytes = 0;
    std::uint32_t bitsBytes = 0;
    std::uint32_t plugInIndex = 0;  // in the list the host was given

    std::span<const std::uint8_t> Info() const { return {static_cast<const std::uint8_t*>(view.Get()), infoBytes}; }
    std::span<const std::uint8_t> Bits() const { return {Info().data() + infoBytes, bitsBytes}; }
};

class PlugInHost {
public:
    PlugInHost(std::wstring program, DWORD callTimeout);
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

    static std::unique_ptr<Running> Start(const std::wstring& program);
    std::optional<Answer> Call(plughost::RequestKind kind, std::span<const std::uint8_t> file,
                               std::span<const std::string> paths);

    const std::wstring program_;
    const DWORD callTimeout_;  // milliseconds
    std::mutex calls_;  // one call at a time per host
    std::unique_ptr<Running> running_;
};

// The full path of a host program in the folder of the module this code is in.
std::wstring PlugInHostProgram(const char* name);

}  // namespace imvexa
