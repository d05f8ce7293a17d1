#pragma once
// The module-wide objects that hold the loaded settings while the module is
// loaded.
#include <atomic>
#include <memory>
#include <shared_mutex>
#include <string>
#include <vector>

#include "Registry.h"
#include "TSPlug.h"

namespace imvexa {

// Several Explorer threads use these at once: the text list is taken under a
// reader/writer lock, the plug-in host guards its own list, and the registry
// accessor is used only while loading.
struct ModuleSettings {
    std::unique_ptr<TRegistry> SettingsRegistry;

    std::string TextExtensions;
    mutable std::shared_mutex TextExtensionsLock;

    std::atomic<bool> QualityMode{true};
    std::unique_ptr<TSusiePlugIn> SusieHost;
    std::unique_ptr<std::vector<std::string>> PlugInNames;

    std::string TextExtensionList() const;
    void SetTextExtensionList(std::string list);
};

}  // namespace imvexa
