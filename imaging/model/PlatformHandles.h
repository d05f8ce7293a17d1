#pragma once
// The GDI handle types of the Windows build's members (a bitmap's canvas, an
// image's drawing), declared the way the platform's own headers declare them,
// so that a portable header can name them without including those headers.
// Only the Windows build defines the members that use them.

struct HDC__;
struct HBITMAP__;

namespace imvexa {

// The raster operation that copies the source as it is.
inline constexpr unsigned long kSourceCopy = 0x00CC0020;

}  // namespace imvexa
