#pragma once
// Icons and metafiles, drawn by the platform.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "Bitmap.h"
#include "Owners.h"

namespace imvexa {

// Whether the platform draws files of the extension key: icons and metafiles.
bool IsPlatformPictureKey(const std::string& extension);

// An icon or metafile read from a file's bytes, ready to be drawn at any size.
class TPlatformPicture {
public:
    // extension is "ICO", "EMF" or "WMF". An icon takes its image nearest in
    // size to wantedWidth × wantedHeight. Raises EIconError, EMetafileError or
    // EReadError for a file that is none of them.
    TPlatformPicture(std::span<const std::uint8_t> file, const std::string& extension, int wantedWidth,
                     int wantedHeight);

    bool IsIcon() const { return static_cast<bool>(icon_); }
    // The picture's own size in pixels.
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Draws the picture into (0, 0, width, height) of dc: an icon over what
    // is there, a metafile played into that rectangle.
    void Draw(HDC dc, int width, int height) const;

private:
    int width_ = 0, height_ = 0;
    win32::Icon icon_;
    win32::EnhancedMetafile metafile_;
};

// The platform's pictures as the extractor draws them: source becomes a
// 24-bit picture of the icon's (nearest the large-icon size) or metafile's
// own size on the COLOR_WINDOW colour.
void LoadPlatformPicture(std::span<const std::uint8_t> file, const std::string& extension, TBitmap& source);

}  // namespace imvexa
