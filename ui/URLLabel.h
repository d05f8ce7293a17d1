#pragma once
// A label that links somewhere. While the mouse is over it, it shows its text
// in the hot colour, underlined; while the button is down, in the pushed
// colour; and when Executable, a press hands its caption to the shell to open
// ("mailto:" opens the mail program, a web address the browser).
//
// The window is a STATIC with SS_NOTIFY, subclassed: it keeps its caption,
// font and click notifications to the parent; the label paints the text in
// its own colour and style and sizes itself to the caption.
#include <windows.h>

#include <string>

#include "Owners.h"

namespace imvexa::ui {

struct TFontStyles {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool operator==(const TFontStyles&) const = default;
};

class TURLLabel {
public:
    // The identifier under which every label registers the module's
    // "HANDPOINT" cursor, and its default cursor.
    static constexpr int kHandPointCursor = 32761;
    static constexpr COLORREF kDefaultHotColor = RGB(0, 255, 255);
    static constexpr COLORREF kDefaultPushedColor = RGB(255, 0, 0);

    using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

    // Creates the label at the top-left of parent's client area with an
    // empty caption, and registers the module's "HANDPOINT" cursor as
    // kHandPointCursor (again for every label).
    TURLLabel(HWND parent, int id);
    // Destroys the window if it still exists.
    ~TURLLabel();
    TURLLabel(const TURLLabel&) = delete;
    TURLLabel& operator=(const TURLLabel&) = delete;

    HWND Handle() const { return window_; }
    // Pixels in the parent's client area.
    void SetPosition(int left, int top);
    void SetCaption(const std::wstring& caption);
    // The font the caption is drawn in before the style applies; not owned.
    void SetFont(HFONT font);

    COLORREF FontColor() const { return fontColor_; }
    void SetFontColor(COLORREF color);
    TFontStyles FontStyle() const { return fontStyle_; }
    void SetFontStyle(TFontStyles style);

    int Cursor() const { return cursor_; }
    void SetCursor(int id) { cursor_ = id; }
    bool Executable() const { return executable_; }
    void SetExecutable(bool value) { executable_ = value; }
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool value);
    COLORREF HotColor() const { return hotColor_; }
    void SetHotColor(COLORREF color);
    COLORREF PushedColor() const { return pushedColor_; }
    void SetPushedColor(COLORREF color);

    // Replaces the shell call of every label (tests record it instead of
    // starting a program); null restores ShellExecuteA.
    static void OverrideShellExecute(ShellExecuteFunction function);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Original(UINT message, WPARAM wParam, LPARAM lParam);

    template <typename T>
    void Change(T& property, T value);

    void MouseMove(POINT at);
    void Track();
    void MouseEnter();
    void MouseLeave();
    void MouseDown();
    void MouseUp(POINT at);
    void Open();
    bool Contains(POINT at) const;
    bool SetCursorShape();

    void Paint(HDC dc);
    HFONT StyledFont();
    void Show(COLORREF color, TFontStyles style);
    void Repaint();

    HWND window_ = nullptr;
    WNDPROC original_ = nullptr;
    win32::Font styledFont_;
    HFONT styledFrom_ = nullptr;
    TFontStyles styledAs_;

    COLORREF fontColor_;
    TFontStyles fontStyle_;
    int cursor_ = kHandPointCursor;
    bool executable_ = false;
    bool hotTrack_ = true;
    COLORREF hotColor_ = kDefaultHotColor;
    COLORREF pushedColor_ = kDefaultPushedColor;

    // The look in force when the hot look was put on, to restore on leaving.
    COLORREF savedColor_;
    TFontStyles savedStyle_;
    bool tracking_ = false;  // WM_MOUSELEAVE will come when the mouse leaves
    bool hotShown_ = false;  // the hot look is on, the saved look waits
    bool pressed_ = false;   // the left button went down on the label
};

}  // namespace imvexa::ui
