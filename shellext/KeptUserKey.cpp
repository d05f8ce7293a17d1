#include "KeptUserKey.h"

#include "Registry.h"

namespace imvexa {

TKeptUserKey::~TKeptUserKey() {
    if (HKEY key = key_.load()) RegCloseKey(key);
    for (HKEY key : retired_) RegCloseKey(key);
}

bool TKeptUserKey::ReadBool(const std::string& name, bool missing) {
    // A second attempt follows only a key found deleted.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const HKEY key = Key();
        if (!key) return missing;
        LONG result = ERROR_SUCCESS;
        const bool value = ReadBoolValue(key, name, missing, result);
        if (result != ERROR_KEY_DELETED) return value;
        Retire(key);
    }
    return missing;
}

HKEY TKeptUserKey::Key() {
    HKEY kept = key_.load(std::memory_order_acquire);
    if (kept) return kept;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return nullptr;
    if (key_.compare_exchange_strong(kept, opened, std::memory_order_acq_rel)) return opened;
    RegCloseKey(opened);  // another thread kept its own first
    return kept;
}

void TKeptUserKey::Retire(HKEY key) {
    HKEY expected = key;
    if (!key_.compare_exchange_strong(expected, nullptr, std::memory_order_acq_rel)) return;
    const std::lock_guard hold(retiredLock_);
    retired_.push_back(key);
}

}  // namespace imvexa
