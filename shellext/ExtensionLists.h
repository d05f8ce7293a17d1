#pragma once
// The two slash lists of extension keys the module serves.
namespace imvexa {

// The keys this module decodes itself (used for handler registration).
inline constexpr char ImageExtensions[] = "BMP/DIB/RLE/ICO/EMF/WMF/JPG/JPEG/JPE/JFIF/PNG/MAG";
// The text list when the registry holds none.
inline constexpr char kDefaultTextExtensions[] = "DIC/EXC/INF/INI/LOG/SCP/TXT/WTX/PAS/INC/C/CPP/H/HPP";

}  // namespace imvexa
