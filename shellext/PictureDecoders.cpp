#include "PictureDecoders.h"

#include "BuiltInDecoders.h"
#include "Common.h"
#include "PlatformPicture.h"

namespace imvexa {

void DecodePicture(const std::wstring& path, const std::string& extension, TBitmap& source) {
    // Opened once, through the path that reaches every name; every decoder reads from here.
    TFileStream file(path, FileMode::OpenRead);
    if (DecodeBuiltIn(file, extension, source)) return;
    if (extension == "ICO" || extension == "EMF" || extension == "WMF") {
        LoadPlatformPicture(file, extension, source);
    } else if (TSusiePlugIn* host = Settings().SusieHost.get()) {
        // Whether a plug-in read it or not: an unread file gives a blank thumbnail.
        host->LoadPictureFromOpenFile(file, source);
    }
}

}  // namespace imvexa
