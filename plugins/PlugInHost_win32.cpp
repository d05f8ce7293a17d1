#include "PlugInHost_win32.h"

#include <algorithm>
#include <cstring>

#include "AllocationFailure.h"
#include "PixelLimits.h"

namespace imvexa {

using plughost::Channel;
using plughost::Reply;
using plughost::ReplyStatus;
using plughost::RequestKind;

namespace {

std::uint32_t ValueOf(HANDLE handle) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle)); }

HANDLE FromValue(std::uint32_t value) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(value)); }

win32::KernelHandle NewSection(std::uint64_t bytes, SECURITY_ATTRIBUTES* security = nullptr) {
    return win32::KernelHandle(CreateFileMappingW(INVALID_HANDLE_VALUE, security, PAGE_READWRITE,
                                                  static_cast<DWORD>(bytes >> 32), static_cast<DWORD>(bytes), nullptr));
}

// A job that ends its process when the last handle to it closes (this
// process ending included), with the host's memory limit.
win32::KernelHandle NewHostJob() {
    win32::KernelHandle job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION | JOB_OBJECT_LIMIT_PROCESS_MEMORY;
    limits.ProcessMemoryLimit = static_cast<SIZE_T>(std::min<std::uint64_t>(kPlugInHostMemoryLimit, SIZE_MAX));
    if (job && !SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        job.Reset();
    return job;
}

// Inheritance limited to the handles named: other inheritable handles of
// this process (Explorer's) stay out of the host.
class InheritedHandles {
public:
    explicit InheritedHandles(std::vector<HANDLE> handles) : handles_(std::move(handles)) {
        SIZE_T bytes = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &bytes);
        storage_.resize(bytes);
        list_ = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
        if (!InitializeProcThreadAttributeList(list_, 1, 0, &bytes)) {
            list_ = nullptr;
            return;
        }
        UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                  handles_.size() * sizeof(HANDLE), nullptr, nullptr);
    }
    ~InheritedHandles() {
        if (list_) DeleteProcThreadAttributeList(list_);
    }
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;

    LPPROC_THREAD_ATTRIBUTE_LIST List() const { return list_; }

private:
    std::vector<HANDLE> handles_;
    std::vector<std::uint8_t> storage_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

}  // namespace

struct PlugInHost::Running {
    win32::KernelHandle job;
    win32::KernelHandle process;
    win32::KernelHandle channelSection, requested, replied;
    win32::FileView channelView;

    Channel& Messages() const { return *static_cast<Channel*>(channelView.Get()); }
    ~Running() {
        if (process) TerminateProcess(process.Get(), 1);
    }
};

// A reply, and for a decoded picture its section, taken out of the host.
struct PlugInHost::Answer {
    Reply reply;
    win32::KernelHandle picture;
};

PlugInHost::PlugInHost(std::wstring program, DWORD callTimeout, std::uint64_t keptMemoryLimit)
    : program_(std::move(program)), callTimeout_(callTimeout), keptMemoryLimit_(keptMemoryLimit) {}

PlugInHost::~PlugInHost() = default;

void PlugInHost::Stop() {
    std::lock_guard one(calls_);
    running_.reset();
}

std::optional<std::vector<std::string>> PlugInHost::Describe(const std::string& path) {
    const std::optional<Answer> answer = Call(RequestKind::Describe, {}, std::span(&path, 1));
    if (!answer || answer->reply.status != ReplyStatus::Described) return std::nullopt;
    std::vector<std::string> texts;
    for (const auto& text : answer->reply.texts) texts.emplace_back(text, strnlen(text, sizeof text));
    return texts;
}

std::optional<HostPicture> PlugInHost::Decode(std::span<const std::uint8_t> file, std::span<const std::string> paths) {
    const std::optional<Answer> answer = Call(RequestKind::Decode, file, paths);
    if (!answer || !answer->picture || answer->reply.plugIn >= paths.size()) return std::nullopt;
    // The sizes come from the host: mapping fails unless its section really
    // holds that many bytes.
    const Reply& reply = answer->reply;
    const std::uint64_t bits = std::min<std::uint64_t>(reply.bitsBytes, kMaxPixelBytes);
    const std::uint64_t total = reply.infoBytes + bits;
    if (total == 0 || reply.infoBytes > kMaxPlugInInfoBytes) return std::nullopt;
    const win32::FileView view(MapViewOfFile(answer->picture.Get(), FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(total)));
    if (!view) return std::nullopt;
    const auto* start = static_cast<const std::uint8_t*>(view.Get());
    HostPicture picture;
    picture.bytes = GuardAllocations([&] { return std::vector<std::uint8_t>(start, start + total); });
    picture.infoBytes = reply.infoBytes;
    picture.plugInIndex = reply.plugIn;
    return picture;
}

std::optional<PlugInHost::Answer> PlugInHost::Call(RequestKind kind, std::span<const std::uint8_t> file,
                                                   std::span<const std::string> paths) {
    std::uint64_t pathBytes = 0;
    for (const std::string& path : paths) pathBytes += path.size() + 1;
    const std::uint64_t fileBlock = plughost::FileBlockBytes(file.size());
    if (file.size() > UINT32_MAX || pathBytes > UINT32_MAX) return std::nullopt;
    const win32::KernelHandle section = NewSection(fileBlock + pathBytes);
    const win32::FileView view(section ? MapViewOfFile(section.Get(), FILE_MAP_WRITE, 0, 0, 0) : nullptr);
    if (!view) return std::nullopt;
    auto* bytes = static_cast<std::uint8_t*>(view.Get());
    if (!file.empty()) std::memcpy(bytes, file.data(), file.size());
    char* path = reinterpret_cast<char*>(bytes + fileBlock);
    for (const std::string& each : paths) path = std::copy(each.begin(), each.end(), path) + 1;  // the view is zeroed

    std::lock_guard one(calls_);
    // A host that ended since the last call (killed, or out of memory) is
    // replaced before it is given the file.
    if (running_ && WaitForSingleObject(running_->process.Get(), 0) == WAIT_OBJECT_0) running_.reset();
    if (!running_) running_ = Start();
    HANDLE remote = nullptr;
    if (!running_ || !DuplicateHandle(GetCurrentProcess(), section.Get(), running_->process.Get(), &remote, 0, FALSE,
                                      DUPLICATE_SAME_ACCESS)) {
        running_.reset();
        return std::nullopt;
    }
    running_->Messages().request = {kind, ValueOf(remote), static_cast<std::uint32_t>(file.size()),
                                    static_cast<std::uint32_t>(pathBytes)};
    SetEvent(running_->requested.Get());
    const HANDLE waits[] = {running_->replied.Get(), running_->process.Get()};
    if (WaitForMultipleObjects(2, waits, FALSE, callTimeout_) != WAIT_OBJECT_0) {
        running_.reset();  // crashed, killed, or hung: ended either way
        return std::nullopt;
    }
    Answer answer{running_->Messages().reply, {}};
    HANDLE picture = nullptr;
    if (answer.reply.status == ReplyStatus::Decoded &&
        DuplicateHandle(running_->process.Get(), FromValue(answer.reply.section), GetCurrentProcess(), &picture,
                        FILE_MAP_READ, FALSE, DUPLICATE_CLOSE_SOURCE))
        answer.picture.Reset(picture);
    return answer;
}

std::unique_ptr<PlugInHost::Running> PlugInHost::Start() const {
    auto host = std::make_unique<Running>();
    host->job = NewHostJob();
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    host->channelSection = NewSection(sizeof(Channel), &inheritable);
    host->requested.Reset(CreateEventW(&inheritable, FALSE, FALSE, nullptr));
    host->replied.Reset(CreateEventW(&inheritable, FALSE, FALSE, nullptr));
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0);
    const win32::KernelHandle owner(self);
    if (!host->job || !host->channelSection || !host->requested || !host->replied || !owner) return nullptr;
    host->channelView.Reset(MapViewOfFile(host->channelSection.Get(), FILE_MAP_WRITE, 0, 0, sizeof(Channel)));
    if (!host->channelView) return nullptr;

    const HANDLE handed[] = {host->channelSection.Get(), host->requested.Get(), host->replied.Get(), owner.Get()};
    std::wstring commandLine = L"\"" + program_ + L"\"";
    for (HANDLE handle : handed) commandLine += L" " + std::to_wstring(ValueOf(handle));
    commandLine += L" " + std::to_wstring(keptMemoryLimit_);
    const InheritedHandles inherited(std::vector<HANDLE>(std::begin(handed), std::end(handed)));
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.lpAttributeList = inherited.List();
    PROCESS_INFORMATION started{};
    const BOOL created = CreateProcessW(program_.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_SUSPENDED | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                                        nullptr, &startup.StartupInfo, &started);
    // Handles this process keeps must not reach programs it starts later.
    for (HANDLE handle : handed) SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
    if (!created) return nullptr;
    host->process.Reset(started.hProcess);
    const win32::KernelHandle thread(started.hThread);
    if (!AssignProcessToJobObject(host->job.Get(), started.hProcess) || ResumeThread(started.hThread) == DWORD(-1))
        return nullptr;  // the destructor ends the suspended process
    // The host reports ready with its reply event.
    const HANDLE waits[] = {host->replied.Get(), host->process.Get()};
    if (WaitForMultipleObjects(2, waits, FALSE, kPlugInHostStartTimeout) != WAIT_OBJECT_0)
        return nullptr;
    return host;
}

std::wstring PlugInHostProgram(const char* name) {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&PlugInHostProgram), &module);
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L"\\/") + 1) + std::wstring(name, name + std::strlen(name));  // ASCII
}

}  // namespace imvexa
