#pragma once
// What the settings dialog's Apply does to the registry, the module-wide
// settings, the loaded plug-ins and the thumbnail handler keys.
#include <string>
#include <vector>

namespace imvexa::ui {

struct TSettingsChange {
    bool Quality = true;
    std::string TextExtension;         // as typed, in the ANSI code page
    std::vector<std::string> PlugIns;  // paths or masks, in list order
};

// Whether this process may write every key that ApplySettings writes: the
// per-user and per-machine settings keys and the handler keys of the
// extensions it unregisters and registers. Changes nothing.
bool SettingsWritable(const TSettingsChange& change);

// Unloads the plug-ins, removes the handlers, writes the settings, reloads
// the plug-ins and registers the handlers of every extension now served.
// When a write fails on the way, the listed plug-ins are still loaded and the
// handlers registered again before the error is raised, so that thumbnails
// keep working.
void ApplySettings(const TSettingsChange& change);

}  // namespace imvexa::ui
