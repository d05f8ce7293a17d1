#include "PictureDecoders.h"

#include <initializer_list>

#include "Common.h"
#include "Mag.h"
#include "PlatformPicture.h"

namespace imvexa {

namespace {
bool IsOneOf(const std::string& key, std::initializer_list<const char*> keys) {
    for (const char* candidate : keys)
        if (key == candidate) return true;
    return false;
}
}  // namespace

void DecodePicture(const std::string& path, const std::string& extension, TBitmap& source) {
    if (IsOneOf(extension, {"BMP", "DIB", "RLE"})) {
        source.LoadFromFile(path);
    } else if (extension == "MAG") {
        TMAGImage picture;
        picture.LoadFromFile(path);
        source.Assign(&picture);
    } else if (IsOneOf(extension, {"ICO", "EMF", "WMF"})) {
        LoadPlatformPicture(path, extension, source);
    } else if (TSusiePlugIn* host = Settings().SusieHost.get()) {
        // Whether a plug-in read it or not: an unread file gives a blank thumbnail.
        host->LoadPictureFromFile(path, source);
    }
}

}  // namespace imvexa
