#pragma once
// A key of the current user's, opened on first use and kept open for the
// reads of every thumbnail: opening and closing a key are round trips to the
// registry's server that all of Explorer's threads queue for. The key is
// read through live, so a value written meanwhile is seen at once.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace imvexa {

class TKeptUserKey {
public:
    explicit TKeptUserKey(std::string path) : path_(std::move(path)) {}
    ~TKeptUserKey();
    TKeptUserKey(const TKeptUserKey&) = delete;
    TKeptUserKey& operator=(const TKeptUserKey&) = delete;

    // The REG_DWORD value name as a boolean, or missing while the key or the
    // value does not exist; another type raises ERegistryException. A key
    // deleted while kept open (and perhaps made again) is opened anew.
    bool ReadBool(const std::string& name, bool missing);

private:
    // The kept key, opened now if need be; null when it does not exist.
    HKEY Key();
    // Stops keeping key, which has been deleted. It stays open until this
    // object ends, since another thread may still be reading through it.
    void Retire(HKEY key);

    const std::string path_;
    std::atomic<HKEY> key_{nullptr};
    std::mutex retiredLock_;
    std::vector<HKEY> retired_;
};

}  // namespace imvexa
