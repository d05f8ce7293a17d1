#include "BuiltInDecoders.h"

#include <initializer_list>

#include "JPEG.h"
#include "Mag.h"
#include "QXPNGL.h"

namespace imvexa {

namespace {

bool IsOneOf(const std::string& key, std::initializer_list<const char*> keys) {
    for (const char* candidate : keys)
        if (key == candidate) return true;
    return false;
}

// Loads the file with a decoder of its own, then makes source a copy of the picture.
template <typename Decoder>
void LoadThrough(TStream& file, TBitmap& source) {
    Decoder picture;
    picture.LoadFromStream(file);
    source.Assign(&picture);
}

}  // namespace

bool DecodeBuiltIn(TStream& file, const std::string& extension, TBitmap& source) {
    if (IsOneOf(extension, {"BMP", "DIB", "RLE"}))
        source.LoadFromStream(file);
    else if (IsOneOf(extension, {"JPG", "JPEG", "JPE", "JFIF"}))
        LoadThrough<TJPEGImage>(file, source);
    else if (extension == "PNG")
        LoadThrough<QXPNGLE>(file, source);
    else if (extension == "MAG")
        LoadThrough<TMAGImage>(file, source);
    else
        return false;
    return true;
}

}  // namespace imvexa
