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

std::string ClassKey(const char* classText) { return std::string("CLSID\\") + classText; }
std::string ServerKey(const char* classText) { return ClassKey(classText) + "\\InprocServer32"; }

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

void RegisterClasses() {
    for (const ThumbnailHandler& handler : kThumbnailHandlers) {
        SetClassValue(ClassKey(handler.classText), nullptr, "Imvexa");
        SetClassValue(ServerKey(handler.classText), nullptr, ServerPath());
        SetClassValue(ServerKey(handler.classText), "ThreadingModel", "Apartment");
    }
}

void UnregisterClasses() {
    for (const ThumbnailHandler& handler : kThumbnailHandlers) {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, ServerKey(handler.classText).c_str());
        RegDeleteKeyA(HKEY_CLASSES_ROOT, ClassKey(handler.classText).c_str());
    }
}

// Puts the class in the handler key, keeping any other handler found there
// as the backup (an earlier backup stays when the key already holds ours).
void InstallHandler(const std::string& key, const std::string& extension, const char* classText) {
    TRegistry registry(HKEY_CLASSES_ROOT);
    if (!registry.OpenKey(key, KeyAccess::Create))
        throw ERegistryException("Cannot open the handler key of " + extension);
    const std::string current = registry.ReadString("");
    if (!current.empty() && current != classText) registry.WriteString(kBackupValue, current);
    registry.WriteString("", classText);
}

// Puts the backup back whatever the key holds now; without one, removes the
// key while it still names the class.
void RestoreHandler(const std::string& key, const char* classText) {
    TRegistry registry(HKEY_CLASSES_ROOT);
    if (!registry.OpenKey(key, KeyAccess::Write)) return;
    if (registry.ValueExists(kBackupValue)) {
        registry.WriteString("", registry.ReadString(kBackupValue));
        registry.DeleteValue(kBackupValue);
    } else if (registry.ReadString("") == classText) {
        registry.CloseKey();
        registry.DeleteKey(key);
    }
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string Trimmed(const std::string& text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

}  // namespace

std::string HandlerKey(const std::string& extension, const char* interfaceKey) {
    return "." + extension + "\\Shellex\\" + interfaceKey;
}

void TClassFactory::UpdateRegistry(bool registering) {
    try {
        if (registering) {
            RegisterClasses();
            RegisterAllHandlers();
        } else {
            UnregisterClasses();
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
    const std::string lower = WithAsciiCase(extension, LetterCase::Lower, IsAnsiLeadByte);
    for (const ThumbnailHandler& handler : kThumbnailHandlers)
        InstallHandler(HandlerKey(lower, handler.interfaceKey), extension, handler.classText);

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
    for (const ThumbnailHandler& handler : kThumbnailHandlers)
        RestoreHandler(HandlerKey(extension, handler.interfaceKey), handler.classText);
    // The text list returns to its default at the next module start.
    TRegistry settings(HKEY_LOCAL_MACHINE);
    if (settings.OpenKey(kSettingsKey, KeyAccess::Write)) settings.DeleteValue(kTextExtensionValue);
}

}  // namespace imvexa
