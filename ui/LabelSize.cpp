#include "LabelSize.h"

namespace imvexa::ui {

std::wstring LabelCaption(HWND label) {
    std::wstring caption(static_cast<size_t>(GetWindowTextLengthW(label)) + 1, L'\0');
    caption.resize(static_cast<size_t>(GetWindowTextW(label, caption.data(), static_cast<int>(caption.size()))));
    return caption;
}

void AutoSizeLabel(HWND label) {
    const std::wstring caption = LabelCaption(label);
    HDC dc = GetDC(label);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT text{};
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, kLabelTextFormat | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    SetWindowPos(label, nullptr, 0, 0, text.right - text.left, text.bottom - text.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace imvexa::ui
