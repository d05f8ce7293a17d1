#include "AboutFrm.h"

#include "LabelSize.h"
#include "ModuleInstance.h"

namespace imvexa::ui {

namespace {

enum ControlId { kProgramIcon = 100, kTitle, kVersion, kCopyright, kEmailLink, kWebLink };

constexpr wchar_t kCopyrightLine[] = L"Copyright (C) 2026 The Imvexa developers";
constexpr wchar_t kEmailAddress[] = L"mailto:imvexa@example.org";
constexpr wchar_t kWebAddress[] = L"http://imvexa.example.org/";
constexpr COLORREF kLinkColor = RGB(0, 51, 153);
constexpr COLORREF kLinkActiveColor = RGB(255, 0, 0);
// Where the links go, in pixels at 96 DPI: below the copyright line.
constexpr POINT kEmailLinkAt{72, 80};
constexpr POINT kWebLinkAt{72, 96};
constexpr int kProgramIconSize = 32;
constexpr DWORD kLabelStyle = SS_LEFT | SS_NOPREFIX;

// Labels are sized to their captions once they exist (width and height 0 here).
std::vector<ControlSpec> AboutLayout() {
    return {
        {IDOK, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 264, 123, 89, 22},
        {kProgramIcon, L"STATIC", L"", SS_ICON | SS_REALSIZECONTROL, 16, 16, kProgramIconSize, kProgramIconSize},
        {kTitle, L"STATIC", L"Imvexa", kLabelStyle, 72, 16, 0, 0},
        {kVersion, L"STATIC", L"Version 1.0.3", kLabelStyle, 72, 32, 0, 0},
        {kCopyright, L"STATIC", kCopyrightLine, kLabelStyle, 72, 48, 0, 0},
    };
}

}  // namespace

TAboutForm::TAboutForm() : TPixelDialog(361, 153, AboutLayout()) {}

void TAboutForm::Created() {
    SetWindowTextW(Handle(), L"Imvexa のバージョン情報");
    for (const int label : {kTitle, kVersion, kCopyright}) AutoSizeLabel(Item(label));
    ShowProgramIcon();
    emailLink_ = MakeLink(kEmailLink, kEmailLinkAt, kEmailAddress);
    webLink_ = MakeLink(kWebLink, kWebLinkAt, kWebAddress);
}

// The module's icon in the size the picture has at this DPI.
void TAboutForm::ShowProgramIcon() {
    const int size = ScaleToDpi(kProgramIconSize, Dpi());
    programIcon_.Reset(static_cast<HICON>(LoadImageW(ModuleInstance(), L"MAINICON", IMAGE_ICON, size, size, 0)));
    SendDlgItemMessageW(Handle(), kProgramIcon, STM_SETICON, reinterpret_cast<WPARAM>(programIcon_.Get()), 0);
}

std::unique_ptr<TURLLabel> TAboutForm::MakeLink(int id, POINT at, const wchar_t* caption) {
    auto link = std::make_unique<TURLLabel>(Handle(), id);
    link->SetFont(Font());
    link->SetPosition(ScaleToDpi(at.x, Dpi()), ScaleToDpi(at.y, Dpi()));
    link->SetCaption(caption);
    link->SetFontColor(kLinkColor);
    link->SetFontStyle(TFontStyles{.underline = true});
    link->SetHotColor(kLinkActiveColor);
    link->SetPushedColor(kLinkActiveColor);
    link->SetExecutable(true);
    return link;
}

// OK (and Enter) closes; Esc is not bound, so IDCANCEL does nothing.
void TAboutForm::Command(int id, int) {
    if (id == IDOK) Close(IDOK);
}

// The window's close box still closes (the dialog manager would turn it into IDCANCEL).
bool TAboutForm::Message(UINT message, WPARAM, LPARAM, INT_PTR& result) {
    if (message != WM_CLOSE) return false;
    Close(IDCANCEL);
    result = 0;
    return true;
}

}  // namespace imvexa::ui
