#include "AnsiText_win32.h"

#include <algorithm>

namespace imvexa {

std::string AnsiText(std::wstring_view text, DWORD flags) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), length, ansi.data(), size, nullptr, nullptr);
    return ansi;
}

}  // namespace imvexa
