#include "HostedPlugIn.h"

namespace imvexa::plughost {

namespace {

template <typename T>
T ExportAs(HMODULE module, const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

std::string PluginInfo(GetPluginInfoFunction function, int number) {
    char buffer[kInfoTextBytes] = {};
    function(number, buffer, kInfoTextBytes - 1);
    buffer[kInfoTextBytes - 1] = '\0';
    return buffer;
}

// Progress is not reported on: the host never asks a plug-in to stop.
int WINAPI GoOn(int, int, LONG_PTR) { return 0; }

}  // namespace

std::unique_ptr<HostedPlugIn> HostedPlugIn::Load(const std::string& path) {
    auto plugIn = std::make_unique<HostedPlugIn>();
    plugIn->library_.Reset(LoadLibraryA(path.c_str()));  // a library of the other architecture fails here
    if (!plugIn->library_) return nullptr;
    const HMODULE library = plugIn->library_.Get();
    const auto getPluginInfo = ExportAs<GetPluginInfoFunction>(library, "GetPluginInfo");
    if (!getPluginInfo) return nullptr;
    // The order in which plug-ins have always been asked: 0, 1, 3, 2.
    for (int number : {0, 1, 3, 2}) plugIn->texts_[static_cast<std::size_t>(number)] = PluginInfo(getPluginInfo, number);
    plugIn->isSupported_ = ExportAs<IsSupportedFunction>(library, "IsSupported");
    plugIn->getPicture_ = ExportAs<GetPictureFunction>(library, "GetPicture");
    // Picture plug-ins only, and only those the host can actually call.
    if (plugIn->texts_[0] != "00IN" || !plugIn->isSupported_ || !plugIn->getPicture_) return nullptr;
    return plugIn;
}

bool HostedPlugIn::Decode(std::span<const std::uint8_t> file, PlugInPicture& picture) const {
    const auto data = reinterpret_cast<LPCSTR>(file.data());
    if (isSupported_(nullptr, reinterpret_cast<DWORD_PTR>(data)) == 0) return false;
    HLOCAL info = nullptr, bits = nullptr;
    if (getPicture_(data, static_cast<LONG_PTR>(file.size()), 1, &info, &bits, GoOn, 0) != 0) return false;
    picture.info.Reset(info);
    picture.bits.Reset(bits);
    return info && bits;
}

}  // namespace imvexa::plughost
