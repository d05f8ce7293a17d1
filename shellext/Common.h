#pragma once
// The settings store: the registry layout, the extension lists and the
// module-wide objects that hold the loaded settings while the module is loaded.
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "Registry.h"
#include "TSPlug.h"

namespace imvexa {

inline constexpr char kSettingsKey[] = "Software\\VELKOR\\Imvexa";
inline constexpr char kPlugInsKey[] = "Software\\VELKOR\\Imvexa\\PlugIns";
inline constexpr char kExtensionsKey[] = "Software\\VELKOR\\Imvexa\\Extensions";
inline constexpr char kTextExtensionValue[] = "TextExtension";
inline constexpr char kQualityValue[] = "Quality";

// The keys this module decodes itself (used for handler registration).
inline constexpr char ImageExtensions[] = "BMP/DIB/RLE/ICO/EMF/WMF/JPG/JPEG/JPE/JFIF/PNG/MAG";
inline constexpr char kDefaultTextExtensions[] = "DIC/EXC/INF/INI/LOG/SCP/TXT/WTX/PAS/INC/C/CPP/H/HPP";

// The objects created at module start, in this order. Several Explorer
// threads use them at once: the registry accessor is taken under its lock,
// the text list under a reader/writer lock, and the plug-in host guards its
// own list.
struct ModuleSettings {
    std::unique_ptr<TRegistry> SettingsRegistry;
    std::mutex SettingsRegistryLock;

    std::string TextExtensions;
    mutable std::shared_mutex TextExtensionsLock;

    std::atomic<bool> QualityMode{true};
    std::unique_ptr<TSusiePlugIn> SusieHost;
    std::unique_ptr<std::vector<std::string>> PlugInNames;

    std::string TextExtensionList() const;
    void SetTextExtensionList(std::string list);
};

// Runs module start once per process (thread-safe), on the first call of an
// export that needs the settings: loading reads the registry and loads
// plug-in libraries, which must not happen under the loader lock of DllMain.
ModuleSettings& Settings();
// Module start for the exports, which nothing may leave by an exception:
// false when it failed (it is tried again on the next call).
bool StartModule() noexcept;
// Module end: frees what module start created. Runs in DllMain when the
// module is unloaded, not when the process ends; the plug-in libraries are
// freed once the loader lock is released.
void EndModule();

// Module start's loading steps into settings; a failure ends loading at the
// step where it happens, keeping what was made so far.
void LoadSettings(ModuleSettings& settings);

// Reads the per-user reduction mode afresh (true when absent) with an
// accessor of its own, and keeps it in QualityMode.
bool ReadQualityMode(ModuleSettings& settings);

// Enables SeShutdownPrivilege in the process token; false when any step fails.
bool EnableShutdownPrivilege();

}  // namespace imvexa
