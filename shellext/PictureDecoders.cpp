#include "PictureDecoders.h"

#include "ModuleLifetime.h"
#include "PlatformPicture.h"

namespace imvexa {

void DecodeOtherPicture(std::span<const std::uint8_t> file, const std::string& extension, TBitmap& source) {
    if (extension == "ICO" || extension == "EMF" || extension == "WMF") {
        LoadPlatformPicture(file, extension, source);
    } else if (TSusiePlugIn* host = Settings().SusieHost.get()) {
        // Whether a plug-in read it or not: an unread file gives a blank thumbnail.
        host->LoadPictureFromMemory(file.data(), file.size(), source);
    }
}

}  // namespace imvexa
