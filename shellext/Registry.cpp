#include "Registry.h"

#include <algorithm>
#include <atomic>

#include "Messages.h"

namespace imvexa {

namespace {

// A value name holds at most 16,383 UTF-16 units, and no code page needs more
// than three bytes for one of them.
constexpr std::size_t kMaxValueNameBytes = 3 * 16383 + 1;
// A key name holds at most 255 UTF-16 units.
constexpr DWORD kMaxKeyNameBytes = 3 * 255 + 1;

std::atomic<bool> machineWritesDenied{false};

// Write access below root is refused, as Windows refuses it to a standard user.
bool WritesRefused(HKEY root) { return root == HKEY_LOCAL_MACHINE && machineWritesDenied.load(); }

std::string Formatted(const char* pattern, const std::string& name) {
    std::string text = pattern;
    text.replace(text.find("%s"), 2, name);
    return text;
}

}  // namespace

void TRegistry::SetRootKey(HKEY root) {
    CloseKey();
    root_ = root;
}

bool TRegistry::OpenKey(const std::string& path, KeyAccess access) {
    CloseKey();
    if (access != KeyAccess::Read && WritesRefused(root_)) return false;
    HKEY key = nullptr;
    const LONG result = access == KeyAccess::Create
                            ? RegCreateKeyExA(root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                              nullptr, &key, nullptr)
                            : RegOpenKeyExA(root_, path.c_str(), 0,
                                            access == KeyAccess::Read ? KEY_READ : KEY_ALL_ACCESS, &key);
    if (result != ERROR_SUCCESS) return false;
    key_.Reset(key);
    return true;
}

void TRegistry::CloseKey() { key_.Reset(); }

bool TRegistry::ValueExists(const std::string& name) const {
    return key_ && RegQueryValueExA(key_.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) const {
    DWORD type = 0, size = 0;
    if (!key_ || RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException(Formatted(kMsgInvalidRegType, name));
    std::string value(size, '\0');
    if (size && RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                                 &size) != ERROR_SUCCESS)
        return {};
    value.resize(std::min<std::size_t>(size, value.size()));
    while (!value.empty() && value.back() == '\0') value.pop_back();
    return value;
}

bool ReadBoolValue(HKEY key, const std::string& name, bool missing, LONG& result) {
    // Type and data in one request (each is a round trip to the registry's
    // server): a value too large for a DWORD still reports its type.
    DWORD type = 0, value = 0, size = sizeof value;
    result = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) return missing;
    if (type != REG_DWORD) throw ERegistryException(Formatted(kMsgInvalidRegType, name));
    return result == ERROR_SUCCESS && value != 0;
}

bool TRegistry::ReadBool(const std::string& name, bool missing) const {
    LONG result = ERROR_SUCCESS;
    return key_ ? ReadBoolValue(key_.Get(), name, missing, result) : missing;
}

std::vector<std::string> TRegistry::GetValueNames() const {
    std::vector<std::string> names;
    if (!key_) return names;
    // The longest name in UTF-16 units: a first guess only, since a name in
    // the code page may need more bytes than it has units.
    DWORD longest = 0;
    RegQueryInfoKeyA(key_.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr,
                     nullptr, nullptr);
    std::string buffer(longest + 1, '\0');
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG result = RegEnumValueA(key_.Get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA && buffer.size() < kMaxValueNameBytes) {
            buffer.resize(std::min(2 * buffer.size(), kMaxValueNameBytes));
            continue;
        }
        if (result != ERROR_SUCCESS) break;  // the last name, or the key is gone
        names.emplace_back(buffer.data(), length);
        ++index;
    }
    return names;
}

std::vector<std::string> TRegistry::GetKeyNames() const {
    std::vector<std::string> names;
    char buffer[kMaxKeyNameBytes];
    for (DWORD index = 0; key_; ++index) {
        DWORD length = kMaxKeyNameBytes;
        if (RegEnumKeyExA(key_.Get(), index, buffer, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(buffer, length);
    }
    return names;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    if (!key_ || RegSetValueExA(key_.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
        throw ERegistryException(Formatted(kMsgRegSetDataFailed, name));
}

void TRegistry::WriteBool(const std::string& name, bool value) {
    const DWORD data = value ? 1 : 0;
    if (!key_ || RegSetValueExA(key_.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                sizeof data) != ERROR_SUCCESS)
        throw ERegistryException(Formatted(kMsgRegSetDataFailed, name));
}

bool TRegistry::DeleteValue(const std::string& name) {
    return key_ && RegDeleteValueA(key_.Get(), name.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::DeleteKey(const std::string& path) {
    return !WritesRefused(root_) && RegDeleteKeyA(root_, path.c_str()) == ERROR_SUCCESS;
}

void TRegistry::DenyMachineWrites(bool deny) { machineWritesDenied = deny; }

}  // namespace imvexa
