#include "Registration.h"

#include <windows.h>

#include "AnsiText.h"
#include "AsciiCase.h"
#include "ClassFactory.h"
#include "ExtensionLists.h"
#include "ModuleLifetime.h"
#include "RegistryLayout.h"
#include "Registry.h"
#include "Owners.h"
#include "SlashList.h"

namespace imvexa {

namespace {

const std::string kClassKey = std::string("CLSID\\") + kExtractorClassText;
const std::string kServerKey = kClassKey + "\\InprocServer32";

// This module's file, in its 8.3 form when the path holds a blank.
std::string ServerPath() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ServerPath), &module);
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    std::string server(path, length);
    if (server.find(' ') != std::string::npos) {
        char shortPath[MAX_PATH];
        const DWORD shortLength = GetShortPathNameA(server.c_str(), shortPath, MAX_PATH);
        if (shortLength > 0 && shortLength < MAX_PATH) server.assign(shortPath, shortLength);
    }
    return server;
}

void SetClassValue(const std::string& key, const char* name, const std::string& value) {
    HKEY created;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, &created, nullptr) != ERROR_SUCCESS)
        throw ERegistryException("Cannot create the key " + key);
    const win32::RegistryKey handle(created);
    const LONG result = RegSetValueExA(handle.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>(value.size() + 1));
    if (result != ERROR_SUCCESS) throw ERegistryException("Cannot write the key " + key);
}

void RegisterClass() {
    SetClassValue(kClassKey, nullptr, "Imvexa");
    SetClassValue(kServerKey, nullptr, ServerPath());
    SetClassValue(kServerKey, "ThreadingModel", "Apartment");
}

void UnregisterClass() {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kServerKey.c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kClassKey.c_str());
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string Trimmed(const std::string& text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

}  // namespace

std::string HandlerKey(const std::string& extension) {
    return "." + extension + "\\Shellex\\" + kThumbnailHandlerKey;
}

void TClassFactory::UpdateRegistry(bool registering) {
    try {
        if (registering) {
            RegisterClass();
            RegisterAllHandlers();
        } else {
            UnregisterClass();
            UnregisterAllHandlers();
        }
    } catch (...) {
        // Self-registration reports success whatever happened.
    }
}

void RegisterAllHandlers() {
    RegisterHandlerList(ImageExtensions);
    RegisterHandlerList(Settings().TextExtensionList());
}

void RegisterHandlerList(const std::string& slashList) {
    for (const std::string& key : SlashListKeys(slashList)) RegisterHandler(key);
}

void RegisterHandler(const std::string& extension) {
    if (extension.empty()) return;
    TRegistry registry(HKEY_CLASSES_ROOT);
    if (!registry.OpenKey(HandlerKey(WithAsciiCase(extension, LetterCase::Lower, IsAnsiLeadByte)), KeyAccess::Create))
        throw ERegistryException("Cannot open the handler key of " + extension);
    const std::string current = registry.ReadString("");
    if (!current.empty() && current != kExtractorClassText) registry.WriteString(kBackupValue, current);
    registry.WriteString("", kExtractorClassText);

    TRegistry record(HKEY_LOCAL_MACHINE);
    if (!record.OpenKey(kExtensionsKey, KeyAccess::Create))
        throw ERegistryException("Cannot open the key of installed handlers");
    record.WriteString(extension, "");
}

void UnregisterAllHandlers() {
    TRegistry record(HKEY_LOCAL_MACHINE);
    record.OpenKey(kExtensionsKey, KeyAccess::Read);
    for (const std::string& name : record.GetValueNames()) {
        const std::string key = Trimmed(name);
        if (!key.empty()) UnregisterHandler(key);
    }
}

void UnregisterHandler(const std::string& extension) {
    TRegistry registry(HKEY_CLASSES_ROOT);
    const std::string key = HandlerKey(extension);
    if (registry.OpenKey(key, KeyAccess::Write)) {
        if (registry.ValueExists(kBackupValue)) {
            registry.WriteString("", registry.ReadString(kBackupValue));
            registry.DeleteValue(kBackupValue);
        } else if (registry.ReadString("") == kExtractorClassText) {
            registry.CloseKey();
            registry.DeleteKey(key);
        }
    }
    // The text list returns to its default at the next module start.
    TRegistry settings(HKEY_LOCAL_MACHINE);
    if (settings.OpenKey(kSettingsKey, KeyAccess::Write)) settings.DeleteValue(kTextExtensionValue);
}

}  // namespace imvexa
