#include "AnsiText.h"

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

bool HasAnsiForm(std::wstring_view text) {
    BOOL lossy = FALSE;
    if (!text.empty())
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0,
                            nullptr, &lossy);
    return !lossy;
}

std::wstring WideText(std::string_view ansi) {
    if (ansi.empty()) return {};
    const int length = static_cast<int>(ansi.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), size);
    return wide;
}

}  // namespace imvexa
