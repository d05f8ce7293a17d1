#include "BuiltInDecoders.h"

#include <initializer_list>
#include <type_traits>

#include "BitmapRows.h"
#include "JPEGDecode.h"
#include "Mag.h"
#include "QXPNGL.h"
#include "Stream.h"

namespace imvexa {

namespace {

bool IsOneOf(const std::string& key, std::initializer_list<const char*> keys) {
    for (const char* candidate : keys)
        if (key == candidate) return true;
    return false;
}

// Loads the bytes with a graphic class of the format, then sends the
// picture's rows.
template <typename Decoder>
void SendThrough(std::span<const std::uint8_t> bytes, TRowSink& sink) {
    TBorrowedMemoryStream file(bytes.data(), bytes.size());
    Decoder picture;
    picture.LoadFromStream(file);
    if constexpr (std::is_same_v<Decoder, TBitmap>) {
        SendBitmapRows(picture, sink);
    } else {
        TBitmap source;
        source.Assign(&picture);
        SendBitmapRows(source, sink);
    }
}

}  // namespace

bool DecodeBuiltInRows(std::span<const std::uint8_t> bytes, const std::string& extension, TRowSink& sink) {
    if (IsOneOf(extension, {"BMP", "DIB", "RLE"}))
        SendThrough<TBitmap>(bytes, sink);
    else if (IsOneOf(extension, {"JPG", "JPEG", "JPE", "JFIF"}))
        DecodeJPEG(bytes, TJPEGSettings{}, sink);
    else if (extension == "PNG")
        SendThrough<QXPNGLE>(bytes, sink);
    else if (extension == "MAG")
        SendThrough<TMAGImage>(bytes, sink);
    else
        return false;
    return true;
}

}  // namespace imvexa
