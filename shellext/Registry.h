#pragma once
// A registry accessor: one root key and at most one open key at a time.
// Keys are opened with full access and created when absent, also for reading.
#include <windows.h>

#include <string>
#include <vector>

#include "RuntimeErrors.h"

namespace imvexa {

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

class TRegistry {
public:
    explicit TRegistry(HKEY root = HKEY_CURRENT_USER) : root_(root) {}
    ~TRegistry() { CloseKey(); }
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // Closes the open key and changes the root.
    void SetRootKey(HKEY root);
    // Opens path (relative to the root, no leading backslash), creating it when
    // canCreate; false when it cannot be opened.
    bool OpenKey(const std::string& path, bool canCreate);
    void CloseKey();
    bool HasOpenKey() const { return key_ != nullptr; }

    bool ValueExists(const std::string& name) const;
    // A string value (REG_SZ or REG_EXPAND_SZ); "" when absent; another type
    // raises ERegistryException.
    std::string ReadString(const std::string& name) const;
    // A REG_DWORD read as a boolean; another type raises ERegistryException.
    bool ReadBool(const std::string& name) const;
    // The names of the open key's values, in the registry's order.
    std::vector<std::string> GetValueNames() const;

    // Writes raise ERegistryException "'name' の設定に失敗しました".
    void WriteString(const std::string& name, const std::string& value);
    void WriteBool(const std::string& name, bool value);
    bool DeleteValue(const std::string& name);
    // Deletes a key below the root (its sub-keys must be gone).
    bool DeleteKey(const std::string& path);

private:
    HKEY root_;
    HKEY key_ = nullptr;
};

}  // namespace imvexa
