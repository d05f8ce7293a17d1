#pragma once
// Modal dialogs laid out in pixels at 96 DPI and scaled to the screen's DPI.
// The window comes from an empty in-memory dialog template (so the dialog
// manager still does tabbing, accelerators, the default button and Esc), and
// its controls are created from a table in tab order, each on its exact pixel
// rectangle: dialog units would round every control differently.
#include <windows.h>

#include "Owners.h"

#include <memory>
#include <string>
#include <vector>

namespace imvexa::ui {

struct ControlSpec {
    int id;
    const wchar_t* windowClass;  // L"BUTTON", L"STATIC", L"EDIT", L"LISTBOX"
    std::wstring text;
    DWORD style;  // besides WS_CHILD | WS_VISIBLE
    int left, top, width, height;  // pixels at 96 DPI
    DWORD exStyle = 0;
};

// The style of a STATIC control drawn as a horizontal rule: an etched line
// along the top of its rectangle, which keeps its size (the system's etched
// statics shrink to two pixels).
inline constexpr DWORD kHorizontalRule = SS_OWNERDRAW;

// Pixels at 96 DPI as pixels at dpi, rounded to the nearest.
int ScaleToDpi(int pixels, int dpi);

// The face the dialogs' text is drawn in: the preferred face when the system
// has it, else the first of the Japanese user-interface faces it has, else
// the face of the system's message font.
std::wstring DialogFontFace(const std::wstring& preferred);

class TPixelDialog {
public:
    TPixelDialog(const TPixelDialog&) = delete;
    TPixelDialog& operator=(const TPixelDialog&) = delete;
    virtual ~TPixelDialog();

    // Shows the dialog modally; returns what Close passed, -1 when the window
    // could not be made.
    INT_PTR ShowModal(HWND owner);
    HWND Handle() const { return window_; }
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    int Dpi() const { return dpi_; }

    // Every dialog made from now on assumes this DPI (0: the screen's).
    static void OverrideDpi(int dpi);

protected:
    // The 12-pixel "ＭＳ Ｐゴシック" in the Shift_JIS character set (or its
    // stand-in) is the font of every control.
    TPixelDialog(int clientWidth, int clientHeight, std::vector<ControlSpec> controls);

    // After the controls exist, before the window shows.
    virtual void Created() {}
    // WM_COMMAND from a control or a menu/accelerator (IDOK, IDCANCEL).
    virtual void Command(int id, int notification) = 0;
    // Any other message; return true when handled (result in result).
    virtual bool Message(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    void Close(INT_PTR result) { EndDialog(window_, result); }
    HFONT Font() const { return font_.Get(); }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Initialize(HWND window);
    void PlaceWindow();

    int clientWidth_;
    int clientHeight_;
    std::vector<ControlSpec> controls_;
    HWND window_ = nullptr;
    win32::Font font_;
    int dpi_ = 96;
};

}  // namespace imvexa::ui
