#include "PictureDecoders.h"

#include <initializer_list>

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
    } else if (IsOneOf(extension, {"ICO", "EMF", "WMF"})) {
        LoadPlatformPicture(path, extension, source);
    }
    // Every other key belongs to the plug-in host, which has no plug-ins yet:
    // the source stays empty and the thumbnail blank.
}

}  // namespace imvexa
