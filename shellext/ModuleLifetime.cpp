#include "ModuleLifetime.h"

#include <atomic>
#include <mutex>

#include "JPEG.h"
#include "LoadSettings.h"
#include "Owners.h"

namespace imvexa {

namespace {

std::once_flag startOnce;
std::atomic<ModuleSettings*> module{nullptr};

// JPEG pictures decode to 8 bits on a palette display, else to 24 bits.
void ChooseJpegPixelFormat() {
    const win32::ClientDC screen;
    if (!screen) return;
    SetDefaultJPEGPixelFormat(
        JPEGPixelFormatForDisplay(GetDeviceCaps(screen.Get(), BITSPIXEL), GetDeviceCaps(screen.Get(), PLANES)));
}

}  // namespace

ModuleSettings& Settings() {
    std::call_once(startOnce, [] {
        auto* settings = new ModuleSettings;
        LoadSettings(*settings);
        ChooseJpegPixelFormat();
        module = settings;
    });
    return *module.load();
}

bool StartModule() noexcept {
    try {
        Settings();
        return true;
    } catch (...) {
        return false;
    }
}

// Runs under the loader lock: the plug-in hosts are ended, not waited for.
void EndModule() { delete module.exchange(nullptr); }

}  // namespace imvexa
