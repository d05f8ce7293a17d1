// Without a desktop there are no user settings: system colours take the
// classic default scheme.
#include <array>

#include "SystemColor.h"

namespace imvexa {

namespace {

constexpr std::array<std::uint32_t, 31> kDefaultScheme{
    0xC0C0C0,  // scroll bar
    0x808000,  // desktop
    0x800000,  // active caption
    0x808080,  // inactive caption
    0xC0C0C0,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xC0C0C0,  // active border
    0xC0C0C0,  // inactive border
    0x808080,  // application workspace
    0x800000,  // highlight
    0xFFFFFF,  // highlight text
    0xC0C0C0,  // button face
    0x808080,  // button shadow
    0x808080,  // grey text
    0x000000,  // button text
    0xC0C0C0,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x000000,  // 3-D dark shadow
    0xC0C0C0,  // 3-D light
    0x000000,  // tooltip text
    0xE1FFFF,  // tooltip background
    0x000000,  // (unused)
    0xFF0000,  // hot-tracked item
    0xD08410,  // active caption gradient
    0xC0C0C0,  // inactive caption gradient
    0x800000,  // menu highlight
    0xC0C0C0,  // menu bar
};

}  // namespace

std::uint32_t SystemColor(int index) {
    return index >= 0 && index < static_cast<int>(kDefaultScheme.size()) ? kDefaultScheme[static_cast<std::size_t>(index)] : 0;
}

}  // namespace imvexa
