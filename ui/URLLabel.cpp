#include "URLLabel.h"

#include <shellapi.h>
#include <windowsx.h>

#include <atomic>

#include "LabelSize.h"
#include "ModuleInstance.h"
#include "ScreenCursors.h"

namespace imvexa::ui {

namespace {

std::atomic<TURLLabel::ShellExecuteFunction> shellExecuteOverride{nullptr};

POINT PointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

void TURLLabel::OverrideShellExecute(ShellExecuteFunction function) { shellExecuteOverride = function; }

TURLLabel::TURLLabel(HWND parent, int id) : fontColor_(GetSysColor(COLOR_WINDOWTEXT)), savedColor_(fontColor_) {
    RegisterScreenCursor(kHandPointCursor, LoadCursorA(ModuleInstance(), "HANDPOINT"));
    window_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_NOPREFIX, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(), nullptr);
    if (!window_) return;
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TURLLabel::WindowProc)));
    AutoSizeLabel(window_);
}

TURLLabel::~TURLLabel() {
    if (window_) DestroyWindow(window_);
}

void TURLLabel::SetPosition(int left, int top) {
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TURLLabel::SetCaption(const std::wstring& caption) { SetWindowTextW(window_, caption.c_str()); }

void TURLLabel::SetFont(HFONT font) { SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE); }

void TURLLabel::SetFontColor(COLORREF color) { Show(color, fontStyle_); }

void TURLLabel::SetFontStyle(TFontStyles style) { Show(fontColor_, style); }

void TURLLabel::SetHotTrack(bool value) { Change(hotTrack_, value); }

void TURLLabel::SetHotColor(COLORREF color) { Change(hotColor_, color); }

void TURLLabel::SetPushedColor(COLORREF color) { Change(pushedColor_, color); }

template <typename T>
void TURLLabel::Change(T& property, T value) {
    if (property == value) return;
    property = value;
    Repaint();
}

LRESULT CALLBACK TURLLabel::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* label = reinterpret_cast<TURLLabel*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    try {
        return label->Dispatch(message, wParam, lParam);
    } catch (...) {
        return label->Original(message, wParam, lParam);
    }
}

LRESULT TURLLabel::Original(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(original_, window_, message, wParam, lParam);
}

LRESULT TURLLabel::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT: {
        // The text is stored as any window stores it; the control itself
        // would paint it at once in its own colours.
        const LRESULT result = DefWindowProcW(window_, message, wParam, lParam);
        AutoSizeLabel(window_);
        Repaint();
        return result;
    }
    case WM_SETFONT:
        Original(message, wParam, FALSE);
        AutoSizeLabel(window_);
        Repaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        Paint(BeginPaint(window_, &paint));
        EndPaint(window_, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && SetCursorShape()) return TRUE;
        break;
    case WM_MOUSEMOVE: {
        const LRESULT result = Original(message, wParam, lParam);
        MouseMove(PointOf(lParam));
        return result;
    }
    case WM_MOUSELEAVE:
        // During a press the release decides (the mouse is captured).
        tracking_ = false;
        if (!pressed_) MouseLeave();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const LRESULT result = Original(message, wParam, lParam);
        MouseDown();
        return result;
    }
    case WM_LBUTTONUP: {
        const LRESULT result = Original(message, wParam, lParam);
        MouseUp(PointOf(lParam));
        return result;
    }
    case WM_CAPTURECHANGED: {
        // Capture taken away during a press: released where the mouse is now.
        const LRESULT result = Original(message, wParam, lParam);
        POINT at{};
        GetCursorPos(&at);
        ScreenToClient(window_, &at);
        MouseUp(at);
        return result;
    }
    case WM_NCDESTROY: {
        HWND window = window_;
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        window_ = nullptr;
        return CallWindowProcW(original_, window, message, wParam, lParam);
    }
    default:
        break;
    }
    return Original(message, wParam, lParam);
}

void TURLLabel::MouseMove(POINT at) {
    if (Contains(at)) {
        Track();
        MouseEnter();
    } else if (!pressed_) {
        MouseLeave();
    }
}

// Asks for WM_MOUSELEAVE when the mouse leaves the label.
void TURLLabel::Track() {
    if (tracking_) return;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
    tracking_ = TrackMouseEvent(&track) != FALSE;
}

void TURLLabel::MouseEnter() {
    if (!hotTrack_ || hotShown_) return;
    savedColor_ = fontColor_;
    savedStyle_ = fontStyle_;
    hotShown_ = true;
    Show(hotColor_, TFontStyles{.underline = true});
}

void TURLLabel::MouseLeave() {
    if (!hotShown_) return;
    hotShown_ = false;
    Show(savedColor_, savedStyle_);
}

// A press that came without a mouse move over the label enters it first,
// so that there is a saved look to return to.
void TURLLabel::MouseDown() {
    Track();
    MouseEnter();
    pressed_ = true;
    SetCapture(window_);
    if (hotTrack_) Show(pushedColor_, fontStyle_);
    if (executable_) Open();
}

void TURLLabel::MouseUp(POINT at) {
    if (!pressed_) return;
    pressed_ = false;
    if (GetCapture() == window_) ReleaseCapture();
    if (!Contains(at)) {
        MouseLeave();
        return;
    }
    Track();
    if (hotTrack_) Show(hotColor_, fontStyle_);
}

void TURLLabel::Open() {
    std::string caption(static_cast<size_t>(GetWindowTextLengthA(window_)) + 1, '\0');
    caption.resize(static_cast<size_t>(GetWindowTextA(window_, caption.data(), static_cast<int>(caption.size()))));
    const ShellExecuteFunction shellExecute = shellExecuteOverride.load();
    (shellExecute ? shellExecute : &ShellExecuteA)(GetAncestor(window_, GA_ROOT), "OPEN", caption.c_str(), "", "",
                                                   SW_SHOW);
}

bool TURLLabel::Contains(POINT at) const {
    RECT client{};
    GetClientRect(window_, &client);
    return PtInRect(&client, at) != FALSE;
}

bool TURLLabel::SetCursorShape() {
    const HCURSOR cursor = ScreenCursor(cursor_);
    if (cursor) ::SetCursor(cursor);
    return cursor != nullptr;
}

// The parent's background for static controls, the caption in the label's
// colour and style.
void TURLLabel::Paint(HDC dc) {
    RECT client{};
    GetClientRect(window_, &client);
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(window_), WM_CTLCOLORSTATIC,
                                                             reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(window_)));
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, fontColor_);
    const win32::SelectedObject font(dc, StyledFont());
    const std::wstring caption = LabelCaption(window_);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &client, kLabelTextFormat);
}

// The label's font with its style; made again when the font or the style changed.
HFONT TURLLabel::StyledFont() {
    HFONT base = reinterpret_cast<HFONT>(Original(WM_GETFONT, 0, 0));
    if (!base) base = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (!styledFont_ || styledFrom_ != base || !(styledAs_ == fontStyle_)) {
        LOGFONTW font{};
        GetObjectW(base, sizeof font, &font);
        font.lfWeight = fontStyle_.bold ? FW_BOLD : FW_NORMAL;
        font.lfItalic = fontStyle_.italic;
        font.lfUnderline = fontStyle_.underline;
        font.lfStrikeOut = fontStyle_.strikeOut;
        styledFont_.Reset(CreateFontIndirectW(&font));
        styledFrom_ = base;
        styledAs_ = fontStyle_;
    }
    return styledFont_ ? styledFont_.Get() : base;
}

// Puts on a look; a repaint only when it differs from the one shown.
void TURLLabel::Show(COLORREF color, TFontStyles style) {
    if (color == fontColor_ && style == fontStyle_) return;
    fontColor_ = color;
    fontStyle_ = style;
    Repaint();
}

void TURLLabel::Repaint() {
    if (window_) InvalidateRect(window_, nullptr, FALSE);
}

}  // namespace imvexa::ui
