#pragma once
// The plug-in host programs, installed beside the DLL: the 32-bit one for
// 32-bit plug-ins (*.spi), and in the x64 build the 64-bit one for 64-bit
// plug-ins (*.sph).

namespace imvexa {

inline constexpr char kPlugInHost32[] = "VignarPlugHost32.exe";
inline constexpr char kPlugInHost64[] = "VignarPlugHost64.exe";

#if defined(_WIN64)
inline constexpr const char* kPlugInHosts[] = {kPlugInHost32, kPlugInHost64};
#else
inline constexpr const char* kPlugInHosts[] = {kPlugInHost32};
#endif

}  // namespace imvexa
