#include "ApplySettings.h"

#include "AnsiText.h"
#include "AsciiCase.h"
#include "ExtensionLists.h"
#include "ModuleLifetime.h"
#include "RegistryLayout.h"
#include "Owners.h"
#include "Registration.h"
#include "SlashList.h"
#include "TokenCut.h"

namespace imvexa::ui {

namespace {

// path, then each of its parent keys up to the root itself ("").
std::vector<std::string> KeyAndParents(const std::string& path) {
    std::vector<std::string> chain;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsAnsiLeadByte(static_cast<unsigned char>(path[i])))
            ++i;
        else if (path[i] == '\\')
            chain.insert(chain.begin(), path.substr(0, i));
    }
    chain.insert(chain.begin(), path);
    chain.push_back("");
    return chain;
}

// Whether a sub-key can be created below the key: a volatile probe key is
// created and deleted at once.
bool SubKeysCreatable(HKEY root, const std::string& path) {
    constexpr char kProbe[] = "Imvexa write probe";
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_CREATE_SUB_KEY | DELETE, &opened) != ERROR_SUCCESS) return false;
    const win32::RegistryKey parent(opened);
    if (RegCreateKeyExA(parent.Get(), kProbe, 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &opened, nullptr) !=
        ERROR_SUCCESS)
        return false;
    win32::RegistryKey(opened).Reset();  // closed before it is deleted
    RegDeleteKeyA(parent.Get(), kProbe);
    return true;
}

// The key can be written, or (when absent) created: the nearest key of its
// chain that exists must open for writing and take new sub-keys.
bool KeyWritable(HKEY root, const std::string& path) {
    TRegistry registry(root);
    for (const std::string& key : KeyAndParents(path)) {
        if (registry.OpenKey(key, KeyAccess::Write)) return key == path || SubKeysCreatable(root, key);
        if (registry.OpenKey(key, KeyAccess::Read)) return false;
    }
    return false;
}

// The extensions whose handler keys Apply touches: those recorded as
// installed, the built-in image types and the new text list.
std::vector<std::string> ExtensionsTouched(const TSettingsChange& change) {
    TRegistry record(HKEY_LOCAL_MACHINE);
    record.OpenKey(kExtensionsKey, KeyAccess::Read);
    std::vector<std::string> extensions = record.GetValueNames();
    for (const char* list : {ImageExtensions, change.TextExtension.c_str()})
        for (std::string& key : SlashListKeys(list)) extensions.push_back(std::move(key));
    return extensions;
}

void EnsurePlugInObjects(ModuleSettings& settings) {
    if (!settings.SusieHost) settings.SusieHost = std::make_unique<TSusiePlugIn>();
    if (!settings.PlugInNames) settings.PlugInNames = std::make_unique<std::vector<std::string>>();
}

void WriteSettings(const TSettingsChange& change, ModuleSettings& settings) {
    TRegistry machine(HKEY_LOCAL_MACHINE);
    machine.DeleteKey(kPlugInsKey);

    settings.QualityMode = change.Quality;
    TRegistry user(HKEY_CURRENT_USER);
    user.OpenKey(kSettingsKey, KeyAccess::Create);
    user.WriteBool(kQualityValue, change.Quality);

    settings.SetTextExtensionList(change.TextExtension);
    machine.OpenKey(kSettingsKey, KeyAccess::Create);
    machine.WriteString(kTextExtensionValue, change.TextExtension);

    *settings.PlugInNames = change.PlugIns;
    machine.OpenKey(kPlugInsKey, KeyAccess::Create);
    for (const std::string& plugIn : change.PlugIns) {
        settings.SusieHost->LoadPlugIns(plugIn);
        machine.WriteString(plugIn, "");  // stored whether it loaded or not
    }
}

// The extension of a pattern such as "*.PI" without its dot; "" for none.
std::string PatternExtension(const std::string& pattern) {
    const std::size_t last = pattern.find_last_of(".\\:");
    if (last == std::string::npos || pattern[last] != '.') return {};
    return pattern.substr(last + 1);
}

// The keys of the extensions the loaded plug-ins declare, in load order.
std::vector<std::string> PlugInExtensions(const TSusiePlugIn& host) {
    std::vector<std::string> extensions;
    for (int index = 0; index < host.PlugInCount(); ++index) {
        TPlug plug;
        host.CopyPlugIn(index, plug);
        TTokenCutter cutter;
        cutter.Separator = ';';
        cutter.SetText(plug.Extensions);
        while (!cutter.IsEmpty()) extensions.push_back(PatternExtension(cutter.Next()));
    }
    return extensions;
}

void RegisterServedExtensions(ModuleSettings& settings) {
    RegisterAllHandlers();
    for (const std::string& extension : PlugInExtensions(*settings.SusieHost)) RegisterHandler(extension);
}

// After a failed write: every served extension gets its handler back as far
// as the registry lets it, one failure not stopping the others.
void RegisterServedExtensionsAfterFailure(ModuleSettings& settings) {
    std::vector<std::string> served = SlashListKeys(ImageExtensions);
    for (std::vector<std::string> more : {SlashListKeys(settings.TextExtensionList()), PlugInExtensions(*settings.SusieHost)})
        served.insert(served.end(), more.begin(), more.end());
    for (const std::string& extension : served) {
        try {
            RegisterHandler(extension);
        } catch (...) {
        }
    }
}

}  // namespace

bool SettingsWritable(const TSettingsChange& change) {
    if (!KeyWritable(HKEY_CURRENT_USER, kSettingsKey)) return false;
    for (const char* key : {kSettingsKey, kPlugInsKey, kExtensionsKey})
        if (!KeyWritable(HKEY_LOCAL_MACHINE, key)) return false;
    for (const std::string& extension : ExtensionsTouched(change)) {
        const std::string lower = WithAsciiCase(extension, LetterCase::Lower, IsAnsiLeadByte);
        for (const ThumbnailHandler& handler : kThumbnailHandlers)
            if (!KeyWritable(HKEY_CLASSES_ROOT, HandlerKey(lower, handler.interfaceKey))) return false;
    }
    return true;
}

void ApplySettings(const TSettingsChange& change) {
    ModuleSettings& settings = Settings();
    EnsurePlugInObjects(settings);
    settings.SusieHost->UnloadPlugIns();
    try {
        UnregisterAllHandlers();
        WriteSettings(change, settings);
    } catch (...) {
        // Never leave the extensions without their handlers: serve what the
        // list names, then report the write that failed.
        for (const std::string& plugIn : change.PlugIns) settings.SusieHost->LoadPlugIns(plugIn);
        RegisterServedExtensionsAfterFailure(settings);
        throw;
    }
    RegisterServedExtensions(settings);
}

}  // namespace imvexa::ui
