#pragma once
// A picture that only the test plug-in pnm reads: a 160 × 100 colour ramp
// as binary PPM, larger than the thumbnail, so it is reduced.
#include <filesystem>
#include <fstream>
#include <string>

namespace imvexa {

inline std::filesystem::path WritePlugInPicture(const std::filesystem::path& folder) {
    std::string bytes = "P6 160 100 255\n";
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 160; ++x) bytes += {static_cast<char>(x * 255 / 159), static_cast<char>(y * 255 / 99), '\x60'};
    const std::filesystem::path path = folder / "plugin.ppm";
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

}  // namespace imvexa
