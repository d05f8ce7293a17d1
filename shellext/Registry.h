#pragma once
// A registry accessor: one root key and at most one open key at a time.
#include <windows.h>

#include <string>
#include <vector>

#include "Owners.h"
#include "RuntimeErrors.h"

namespace imvexa {

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// What a key is opened for. Readers ask for read access only and never create
// a key: Explorer runs as a standard user, who may read HKEY_LOCAL_MACHINE
// but not write it. Writers (registration, the settings dialog, setup) ask
// for full access.
// The REG_DWORD value name of key as a boolean, or missing when it cannot be
// read (result then says why); another type raises ERegistryException.
bool ReadBoolValue(HKEY key, const std::string& name, bool missing, LONG& result);

enum class KeyAccess {
    Read,    // an existing key, read access
    Write,   // an existing key, full access
    Create,  // the key, created when absent, full access
};

class TRegistry {
public:
    explicit TRegistry(HKEY root = HKEY_CURRENT_USER) : root_(root) {}
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // Closes the open key and changes the root.
    void SetRootKey(HKEY root);
    // Opens path (relative to the root, no leading backslash); false when it
    // cannot be opened with that access.
    bool OpenKey(const std::string& path, KeyAccess access);
    void CloseKey();
    bool HasOpenKey() const { return static_cast<bool>(key_); }

    bool ValueExists(const std::string& name) const;
    // A string value (REG_SZ or REG_EXPAND_SZ); "" when absent; another type
    // raises ERegistryException.
    std::string ReadString(const std::string& name) const;
    // A REG_DWORD read as a boolean, or missing when it cannot be read (no
    // such value, no open key); another type raises ERegistryException.
    bool ReadBool(const std::string& name, bool missing = false) const;
    // The names of the open key's values, in the registry's order.
    std::vector<std::string> GetValueNames() const;
    // The names of the open key's sub-keys, in the registry's order.
    std::vector<std::string> GetKeyNames() const;

    // Writes raise ERegistryException "'name' の設定に失敗しました".
    void WriteString(const std::string& name, const std::string& value);
    void WriteBool(const std::string& name, bool value);
    bool DeleteValue(const std::string& name);
    // Deletes a key below the root (its sub-keys must be gone).
    bool DeleteKey(const std::string& path);

    // Windows refuses a standard user every write under HKEY_LOCAL_MACHINE;
    // Wine refuses nobody. While this is on, every accessor of the process
    // refuses such writes as Windows would, so that tests can run as that user.
    static void DenyMachineWrites(bool deny);

private:
    HKEY root_;
    win32::RegistryKey key_;
};

}  // namespace imvexa
