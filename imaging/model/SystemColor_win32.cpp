#include <windows.h>

#include "SystemColor.h"

namespace imvexa {

std::uint32_t SystemColor(int index) {
    return GetSysColor(index);
}

}  // namespace imvexa
