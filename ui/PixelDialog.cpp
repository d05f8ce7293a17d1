#include "PixelDialog.h"

#include <atomic>
#include <exception>

#include "ModuleInstance.h"
#include "Owners.h"

namespace imvexa::ui {

namespace {

constexpr wchar_t kFallbackFaces[][16] = {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"};
constexpr int kFontPixels = 12;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME;

std::atomic<int> dpiOverride{0};

int CALLBACK MarkFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(const std::wstring& face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face.c_str(), LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(win32::ClientDC().Get(), &wanted, MarkFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// The DPI the window is shown at: the window's own where the system tells
// it (per-monitor aware hosts), else the screen's.
int ScreenDpi(HWND window) {
    if (const int forced = dpiOverride.load()) return forced;
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    if (const auto getDpi = reinterpret_cast<GetDpiForWindowFunction>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")))) {
        if (const UINT dpi = getDpi(window)) return static_cast<int>(dpi);
    }
    const int dpi = GetDeviceCaps(win32::ClientDC().Get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

// An empty dialog template: no menu, the standard class, no title, no controls.
struct alignas(DWORD) EmptyTemplate {
    DLGTEMPLATE header;
    WORD menu = 0;
    WORD windowClass = 0;
    WORD title = 0;
};

}  // namespace

int ScaleToDpi(int pixels, int dpi) { return MulDiv(pixels, dpi, 96); }

std::wstring DialogFontFace(const std::wstring& preferred) {
    if (FaceInstalled(preferred)) return preferred;
    for (const wchar_t* face : kFallbackFaces)
        if (FaceInstalled(face)) return face;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return metrics.lfMessageFont.lfFaceName;
}

void TPixelDialog::OverrideDpi(int dpi) { dpiOverride = dpi; }

TPixelDialog::TPixelDialog(int clientWidth, int clientHeight, std::vector<ControlSpec> controls)
    : clientWidth_(clientWidth), clientHeight_(clientHeight), controls_(std::move(controls)) {}

TPixelDialog::~TPixelDialog() = default;

INT_PTR TPixelDialog::ShowModal(HWND owner) {
    EmptyTemplate dialog{};
    dialog.header.style = kDialogStyle;
    dialog.header.dwExtendedStyle = kDialogExStyle;
    const INT_PTR result = DialogBoxIndirectParamW(ModuleInstance(), &dialog.header, owner, DialogProc,
                                                   reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    return result;
}

bool TPixelDialog::Message(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

// An error inside a handler is shown in a message box over the dialog, which
// stays open: nothing may unwind through the system's message dispatch.
INT_PTR CALLBACK TPixelDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return Dispatch(window, message, wParam, lParam);
    } catch (const std::exception& error) {
        MessageBoxA(window, error.what(), "Imvexa", MB_OK | MB_ICONERROR);
    } catch (...) {
        MessageBoxA(window, "Unexpected error", "Imvexa", MB_OK | MB_ICONERROR);
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

INT_PTR TPixelDialog::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<TPixelDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->Initialize(window);
        return TRUE;
    }
    auto* dialog = reinterpret_cast<TPixelDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog) return FALSE;
    if (message == WM_DRAWITEM && reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->CtlType == ODT_STATIC) {
        auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        DrawEdge(item.hDC, &item.rcItem, EDGE_ETCHED, BF_TOP);
        return TRUE;
    }
    if (message == WM_COMMAND) {
        dialog->Command(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    INT_PTR result = 0;
    if (!dialog->Message(message, wParam, lParam, result)) return FALSE;
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

void TPixelDialog::Initialize(HWND window) {
    window_ = window;
    dpi_ = ScreenDpi(window);
    const std::wstring face = DialogFontFace(L"ＭＳ Ｐゴシック");
    // Replaces the font of an earlier showing.
    font_.Reset(CreateFontW(-ScaleToDpi(kFontPixels, dpi_), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                            face.c_str()));
    for (const ControlSpec& c : controls_) {
        HWND control = CreateWindowExW(c.exStyle, c.windowClass, c.text.c_str(), WS_CHILD | WS_VISIBLE | c.style,
                                       ScaleToDpi(c.left, dpi_), ScaleToDpi(c.top, dpi_), ScaleToDpi(c.width, dpi_),
                                       ScaleToDpi(c.height, dpi_), window,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), ModuleInstance(), nullptr);
        if (control && font_) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    }
    PlaceWindow();
    Created();
}

// The client area at its scaled size, the window centred on its monitor's work area.
void TPixelDialog::PlaceWindow() {
    RECT frame{0, 0, ScaleToDpi(clientWidth_, dpi_), ScaleToDpi(clientHeight_, dpi_)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace imvexa::ui
