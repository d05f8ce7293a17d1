#include "PictureDecoders.h"

#include "BuiltInDecoders.h"
#include "Common.h"
#include "PlatformPicture.h"

namespace imvexa {

void DecodePicture(const std::string& path, const std::string& extension, TBitmap& source) {
    if (DecodeBuiltIn(path, extension, source)) return;
    if (extension == "ICO" || extension == "EMF" || extension == "WMF") {
        LoadPlatformPicture(path, extension, source);
    } else if (TSusiePlugIn* host = Settings().SusieHost.get()) {
        // Whether a plug-in read it or not: an unread file gives a blank thumbnail.
        host->LoadPictureFromFile(path, source);
    }
}

}  // namespace imvexa
