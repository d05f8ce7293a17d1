// The plug-in host program: loads the user's Susie plug-ins in a process of
// their own and decodes for the DLL that started it, one request at a time,
// until that DLL's process ends or closes the request channel.
#include <windows.h>
#include <psapi.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "HostedPlugIn.h"

namespace imvexa::plughost {

namespace {

HANDLE HandleArgument(const char* text) {
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::strtoull(text, nullptr, 10)));
}

HANDLE FromValue(std::uint32_t value) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(value)); }

std::uint32_t ValueOf(HANDLE handle) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle)); }

// A request's section, mapped copy-on-write: a plug-in that writes into the
// data it was given changes nothing the DLL sees.
class RequestData {
public:
    explicit RequestData(const Request& request)
        : section_(FromValue(request.section)), view_(MapViewOfFile(section_.Get(), FILE_MAP_COPY, 0, 0, 0)) {
        if (!view_) return;
        const auto* bytes = static_cast<const std::uint8_t*>(view_.Get());
        file_ = {bytes, request.fileBytes};
        const char* path = reinterpret_cast<const char*>(bytes + FileBlockBytes(request.fileBytes));
        for (const char* end = path + request.pathBytes; path < end; path += std::strlen(path) + 1)
            paths_.push_back(path);
    }
    std::span<const std::uint8_t> File() const { return file_; }
    const std::vector<std::string>& Paths() const { return paths_; }

private:
    win32::KernelHandle section_;
    win32::FileView view_;
    std::span<const std::uint8_t> file_;
    std::vector<std::string> paths_;
};

// Copies the picture's two blocks into a new section, left open for the DLL
// to take; false when there is no memory for it.
bool Deliver(const PlugInPicture& picture, Reply& reply) {
    const win32::LockedGlobal info(picture.info.Get()), bits(picture.bits.Get());
    if (!info.Data() || !bits.Data()) return false;
    const std::uint64_t total = std::uint64_t{info.Size()} + bits.Size();
    if (total > UINT32_MAX) return false;
    win32::KernelHandle section(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                                   static_cast<DWORD>(total >> 32), static_cast<DWORD>(total), nullptr));
    const win32::FileView view(section ? MapViewOfFile(section.Get(), FILE_MAP_WRITE, 0, 0, 0) : nullptr);
    if (!view) return false;
    std::memcpy(view.Get(), info.Data(), info.Size());
    std::memcpy(static_cast<std::uint8_t*>(view.Get()) + info.Size(), bits.Data(), bits.Size());
    reply.infoBytes = static_cast<std::uint32_t>(info.Size());
    reply.bitsBytes = static_cast<std::uint32_t>(bits.Size());
    reply.section = ValueOf(section.Release());
    return true;
}

class PlugInHost {
public:
    void Serve(const Request& request, Reply& reply) {
        reply = {};
        const RequestData data(request);
        if (request.kind == RequestKind::Describe) {
            const HostedPlugIn* plugIn = data.Paths().empty() ? nullptr : PlugIn(data.Paths().front());
            reply.status = plugIn ? ReplyStatus::Described : ReplyStatus::Rejected;
            if (plugIn)
                for (int i = 0; i < kInfoTextCount; ++i)
                    plugIn->Texts()[i].copy(reply.texts[i], kInfoTextBytes - 1);
            return;
        }
        reply.status = ReplyStatus::NotDecoded;
        for (std::size_t i = 0; i < data.Paths().size(); ++i) {
            const HostedPlugIn* plugIn = PlugIn(data.Paths()[i]);
            PlugInPicture picture;
            if (plugIn && plugIn->Decode(data.File(), picture) && Deliver(picture, reply)) {
                reply.status = ReplyStatus::Decoded;
                reply.plugIn = static_cast<std::uint32_t>(i);
                return;
            }
        }
    }

private:
    // Plug-ins stay loaded for the host's life; one that was rejected is
    // asked again next time (its file may have been replaced).
    const HostedPlugIn* PlugIn(const std::string& path) {
        auto found = loaded_.find(path);
        if (found == loaded_.end()) {
            std::unique_ptr<HostedPlugIn> plugIn = HostedPlugIn::Load(path);
            if (!plugIn) return nullptr;
            found = loaded_.emplace(path, std::move(plugIn)).first;
        }
        return found->second.get();
    }

    std::map<std::string, std::unique_ptr<HostedPlugIn>> loaded_;
};

// Whether the host's private bytes exceed the limit. A plug-in that keeps
// memory after its call (a leak) would, in the end, have every later call
// fail for want of it: the host ends instead, and the next call starts a new
// one. PagefileUsage is the commit charge, the private bytes: Wine reports
// it (as resident private memory) where it leaves PrivateUsage at 0.
bool KeepsTooMuch(std::uint64_t limit) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) && counters.PagefileUsage > limit;
}

LONG WINAPI EndOnFault(EXCEPTION_POINTERS* fault) {
    TerminateProcess(GetCurrentProcess(), fault->ExceptionRecord->ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

int Run(int argc, char** argv) {
    if (argc != kHostArgumentCount + 1) return 2;
    // A plug-in that faults or cannot be loaded ends quietly: no error box
    // waits for a user who never sees this process.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    // A fault no plug-in handles ends the host at once, rather than after a
    // crash report is made for it; the DLL sees the end at once too.
    SetUnhandledExceptionFilter(EndOnFault);
    const win32::KernelHandle channelSection(HandleArgument(argv[1]));
    const win32::KernelHandle requested(HandleArgument(argv[2])), replied(HandleArgument(argv[3]));
    const win32::KernelHandle owner(HandleArgument(argv[4]));
    const std::uint64_t keptBytesLimit = std::strtoull(argv[5], nullptr, 10);
    const win32::FileView view(MapViewOfFile(channelSection.Get(), FILE_MAP_WRITE, 0, 0, sizeof(Channel)));
    if (!view) return 2;
    auto* channel = static_cast<Channel*>(view.Get());
    PlugInHost host;
    SetEvent(replied.Get());  // ready
    const HANDLE waits[] = {requested.Get(), owner.Get()};
    while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) {
        const Request request = channel->request;
        host.Serve(request, channel->reply);
        // Ended at once, as a fault ends it: no plug-in is asked to unload.
        if (KeepsTooMuch(keptBytesLimit)) TerminateProcess(GetCurrentProcess(), ERROR_NOT_ENOUGH_MEMORY);
        SetEvent(replied.Get());
    }
    return 0;
}

}  // namespace

}  // namespace imvexa::plughost

int main(int argc, char** argv) {
    try {
        return imvexa::plughost::Run(argc, argv);
    } catch (...) {
        return 1;
    }
}
