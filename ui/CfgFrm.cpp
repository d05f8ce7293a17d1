#include "CfgFrm.h"

#include <shellapi.h>

#include <algorithm>

#include "AboutFrm.h"
#include "AnsiText.h"
#include "ApplySettings.h"
#include "ModuleLifetime.h"
#include "RegistryLayout.h"
#include "ModuleInstance.h"
#include "PlugInFileDialog.h"

namespace imvexa::ui {

namespace {

constexpr DWORD kLabel = SS_LEFT;
constexpr DWORD kRule = kHorizontalRule;
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;

// Creation order is tab order, and each label comes right before the control
// its accelerator focuses.
std::vector<ControlSpec> ConfigLayout() {
    using F = TConfigForm;
    return {
        {F::Label3, L"STATIC", L"縮小アルゴリズム", kLabel, 8, 8, 91, 12},
        {F::Bevel1, L"STATIC", L"", kRule, 104, 14, 321, 9},
        {F::m_rdbQuality, L"BUTTON", L"画質優先(&Q)", WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 16, 32, 113, 17},
        {F::m_rdbSpeed, L"BUTTON", L"速度優先(&S)", WS_TABSTOP | BS_AUTORADIOBUTTON, 192, 32, 113, 17},
        {F::Label1, L"STATIC", L"テキスト表示を行う拡張子(&T)", WS_GROUP | kLabel, 8, 64, 147, 12},
        {F::Bevel2, L"STATIC", L"", kRule, 160, 70, 265, 7},
        {F::m_edtTextExtension, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, 16, 88, 401, 20, WS_EX_CLIENTEDGE},
        {F::Label4, L"STATIC", L"* 「TXT/INI/INF」のように / (スラッシュ) で区切って記述します", kLabel, 16, 120, 317,
         12},
        {F::Label2, L"STATIC", L"Susie プラグイン(&S)", kLabel, 8, 144, 99, 12},
        {F::Bevel3, L"STATIC", L"", kRule, 112, 150, 313, 9},
        {F::m_lstSusiePlugIn, L"LISTBOX", L"", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 16, 168,
         401, 108, WS_EX_CLIENTEDGE},
        {F::m_btnAdd, L"BUTTON", L"追加(&A)...", kButton, 264, 280, 73, 22},
        {F::m_btnDelete, L"BUTTON", L"削除(&D)", kButton, 344, 280, 73, 22},
        {F::Label5, L"STATIC", L"* 使用しないプラグインは追加しないようにしてください．", kLabel, 16, 312, 279, 12},
        {F::Bevel4, L"STATIC", L"", kRule, 8, 336, 417, 9},
        {F::m_btnOK, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 144, 352, 89, 22},
        {F::m_btnCancel, L"BUTTON", L"キャンセル", kButton, 240, 352, 89, 22},
        {F::m_btnApply, L"BUTTON", L"適用(&P)", kButton, 336, 352, 89, 22},
        {F::m_btnVersion, L"BUTTON", L"バージョン情報(&V)", kButton, 8, 352, 105, 22},
    };
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ListItem(HWND list, int index) {
    std::wstring item(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, index, 0)) + 1, L'\0');
    item.resize(static_cast<std::size_t>(
        SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(item.data()))));
    return item;
}

// A path the registry's code-page form can hold: as it is, else its short
// form; empty when neither can (stored, it would name no file or another one).
std::wstring StorablePath(const std::wstring& path) {
    if (HasAnsiForm(path)) return path;
    std::wstring shortPath(MAX_PATH, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), MAX_PATH);
    shortPath.resize(length < MAX_PATH ? length : 0);
    return !shortPath.empty() && HasAnsiForm(shortPath) ? shortPath : std::wstring();
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(ModuleInstance(), path.data(), MAX_PATH));
    return path;
}

}  // namespace

TConfigForm::TConfigForm() : TPixelDialog(433, 385, ConfigLayout()) {}

void TConfigForm::Created() { FormShow(); }

void TConfigForm::Command(int id, int notification) {
    if (notification != BN_CLICKED) return;
    switch (id) {
    case m_btnAdd: m_btnAddClick(); break;
    case m_btnDelete: m_btnDeleteClick(); break;
    case m_btnVersion: m_btnVersionClick(); break;
    case m_btnApply: m_btnApplyClick(); break;
    case m_btnOK: m_btnOKClick(); break;
    case m_btnCancel: m_btnCancelClick(); break;
    default: break;
    }
}

void TConfigForm::FormShow() {
    SetWindowTextW(Handle(), L"Imvexa のプロパティ");
    ModuleSettings& settings = Settings();
    CheckRadioButton(Handle(), m_rdbQuality, m_rdbSpeed, settings.QualityMode ? m_rdbQuality : m_rdbSpeed);
    SetWindowTextW(Item(m_edtTextExtension), WideText(settings.TextExtensionList()).c_str());

    TRegistry registry(HKEY_LOCAL_MACHINE);
    registry.OpenKey(kPlugInsKey, KeyAccess::Read);
    HWND list = Item(m_lstSusiePlugIn);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : registry.GetValueNames())
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideText(name).c_str()));
}

std::vector<std::wstring> TConfigForm::PlugInItems() const {
    HWND list = Item(m_lstSusiePlugIn);
    std::vector<std::wstring> items;
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) items.push_back(ListItem(list, index));
    return items;
}

bool TConfigForm::HasPlugIn(const std::wstring& path) const {
    const std::vector<std::wstring> items = PlugInItems();
    return std::any_of(items.begin(), items.end(), [&](const std::wstring& item) {
        return CompareStringOrdinal(item.c_str(), -1, path.c_str(), -1, TRUE) == CSTR_EQUAL;
    });
}

void TConfigForm::m_btnAddClick() {
    for (const std::wstring& chosen : ChoosePlugInFiles(Handle())) {
        const std::wstring path = StorablePath(chosen);
        if (!path.empty() && !HasPlugIn(path))
            SendMessageW(Item(m_lstSusiePlugIn), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
    }
    BringWindowToTop(Handle());
    SetFocus(Handle());
    SetForegroundWindow(Handle());
}

void TConfigForm::m_btnDeleteClick() {
    HWND list = Item(m_lstSusiePlugIn);
    if (SendMessageW(list, LB_GETCOUNT, 0, 0) == 0) return;
    const int selected = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
    if (selected == LB_ERR) return;
    const int remaining = static_cast<int>(SendMessageW(list, LB_DELETESTRING, selected, 0));
    if (remaining > 0) SendMessageW(list, LB_SETCURSEL, std::min(selected, remaining - 1), 0);
}

void TConfigForm::m_btnVersionClick() {
    TAboutForm about;
    about.ShowModal(nullptr);
}

bool TConfigForm::m_btnApplyClick() {
    TSettingsChange change;
    change.Quality = IsDlgButtonChecked(Handle(), m_rdbQuality) == BST_CHECKED;
    change.TextExtension = AnsiText(WindowText(Item(m_edtTextExtension)), 0);
    for (const std::wstring& item : PlugInItems()) change.PlugIns.push_back(AnsiText(item, WC_NO_BEST_FIT_CHARS));
    if (!SettingsWritable(change)) {
        OfferAdministratorRights();
        return false;
    }
    ApplySettings(change);
    return true;
}

void TConfigForm::m_btnOKClick() {
    if (m_btnApplyClick()) Close(IDOK);
}

void TConfigForm::m_btnCancelClick() { Close(IDCANCEL); }

// Nothing was written. Elevated, the Control Panel may write it all: the
// settings open there anew and this dialog closes.
void TConfigForm::OfferAdministratorRights() {
    constexpr wchar_t kMessage[] =
        L"設定を変更するには管理者の権限が必要です。設定は変更されていません。\n\n"
        L"管理者として設定を開き直しますか?";
    if (MessageBoxW(Handle(), kMessage, L"Imvexa", MB_YESNO | MB_ICONWARNING) != IDYES) return;
    const std::wstring applet = L"\"" + ModulePath() + L"\"";
    SHELLEXECUTEINFOW elevated{};
    elevated.cbSize = sizeof elevated;
    elevated.hwnd = Handle();
    elevated.lpVerb = L"runas";
    elevated.lpFile = L"control.exe";
    elevated.lpParameters = applet.c_str();
    elevated.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&elevated)) Close(IDCANCEL);
}

}  // namespace imvexa::ui
