#pragma once
// The module-wide objects that hold the loaded settings while the module is
// loaded.
#include <atomic>
#include <memory>
#include <shared_mutex>
#include <string>
#include <vector>

#include "KeptUserKey.h"
#include "Registry.h"
#include "RegistryLayout.h"
#include "TSPlug.h"

namespace imvexa {

// Several Explorer threads use these at once: the text list is taken under a
// reader/writer lock, the plug-in host guards its own list, the registry
// accessor is used only while loading, and the user's settings key is kept
// open for all threads.
struct ModuleSettings {
    std::unique_ptr<TRegistry> SettingsRegistry;

    std::string TextExtensions;
    mutable std::shared_mutex TextExtensionsLock;

    std::atomic<bool> QualityMode{true};
    // The current user's settings key, read for every thumbnail.
    TKeptUserKey UserSettingsKey{kSettingsKey};
    std::unique_ptr<TSusiePlugIn> SusieHost;
    std::unique_ptr<std::vector<std::string>> PlugInNames;

    std::string TextExtensionList() const;
    void SetTextExtensionList(std::string list);
};

}  // namespace imvexa
