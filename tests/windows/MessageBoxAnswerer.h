#pragma once
// Answers Imvexa's message boxes as a user would: finds the box by its
// caption, reads its text, buttons, icon and owner, and presses a button with
// BM_CLICK. Used by the setup tests and by answer_boxes.exe for whole-program
// scripts.
#include <windows.h>

#include <optional>
#include <string>

namespace imvexa {

struct SeenBox {
    std::wstring Text;
    UINT Buttons = 0;  // MB_OK or MB_YESNO
    UINT Icon = 0;     // MB_ICONINFORMATION, MB_ICONQUESTION or 0 for another
    bool Owned = false;

    bool operator==(const SeenBox&) const = default;
};

namespace answerer_detail {

constexpr int kTextId = 0xFFFF;  // the static control holding a message box's text

inline bool ButtonShown(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    return button && IsWindowVisible(button);
}

inline UINT IconOf(HWND box) {
    HICON icon = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child && !icon; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    if (icon && icon == LoadIconA(nullptr, IDI_INFORMATION)) return MB_ICONINFORMATION;
    if (icon && icon == LoadIconA(nullptr, IDI_QUESTION)) return MB_ICONQUESTION;
    return 0;
}

inline SeenBox Read(HWND box) {
    SeenBox seen;
    wchar_t text[1024] = L"";
    GetDlgItemTextW(box, kTextId, text, 1024);
    seen.Text = text;
    seen.Buttons = ButtonShown(box, IDYES) && ButtonShown(box, IDNO) ? MB_YESNO : MB_OK;
    seen.Icon = IconOf(box);
    seen.Owned = GetWindow(box, GW_OWNER) != nullptr;
    return seen;
}

}  // namespace answerer_detail

// Waits up to timeoutMs for a visible message box captioned "Imvexa" and
// presses answer (IDOK, IDYES or IDNO; a box without that button gets its No
// or OK instead, never Yes). Nothing when no box appeared in time.
inline std::optional<SeenBox> AnswerNextBox(int answer, DWORD timeoutMs) {
    using namespace answerer_detail;
    const DWORD start = GetTickCount();
    do {
        HWND box = FindWindowW(L"#32770", L"Imvexa");
        if (box && IsWindowVisible(box) && GetDlgItem(box, kTextId)) {
            SeenBox seen = Read(box);
            if (!ButtonShown(box, answer)) answer = seen.Buttons == MB_YESNO ? IDNO : IDOK;
            SendMessageW(GetDlgItem(box, answer), BM_CLICK, 0, 0);
            // The box is gone before the next one is looked for.
            while (IsWindow(box) && GetTickCount() - start < timeoutMs) Sleep(10);
            return seen;
        }
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return std::nullopt;
}

}  // namespace imvexa
