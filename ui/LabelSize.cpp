#include "LabelSize.h"

#include "Owners.h"

namespace imvexa::ui {

std::wstring LabelCaption(HWND label) {
    std::wstring caption(static_cast<size_t>(GetWindowTextLengthW(label)) + 1, L'\0');
    caption.resize(static_cast<size_t>(GetWindowTextW(label, caption.data(), static_cast<int>(caption.size()))));
    return caption;
}

void AutoSizeLabel(HWND label) {
    const std::wstring caption = LabelCaption(label);
    RECT text{};
    {
        const win32::ClientDC dc(label);
        const win32::SelectedObject font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
        DrawTextW(dc.Get(), caption.c_str(), static_cast<int>(caption.size()), &text, kLabelTextFormat | DT_CALCRECT);
    }
    SetWindowPos(label, nullptr, 0, 0, text.right - text.left, text.bottom - text.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace imvexa::ui
