#include "PlugInFileDialog.h"

#include <commdlg.h>

namespace imvexa::ui {

namespace {

constexpr wchar_t kFilter[] = L"Susie プラグイン (*.spi)\0*.spi\0すべてのファイル\0*.*\0";
// Room for a few hundred selected names at once.
constexpr DWORD kResultChars = 64 * 1024;

}  // namespace

std::vector<std::wstring> SelectedPaths(const wchar_t* result) {
    const std::wstring first = result;
    std::vector<std::wstring> paths;
    const wchar_t* name = result + first.size() + 1;
    if (!*name) {
        if (!first.empty()) paths.push_back(first);
        return paths;
    }
    const std::wstring folder = first.back() == L'\\' ? first : first + L'\\';
    for (; *name; name += wcslen(name) + 1) paths.push_back(folder + name);
    return paths;
}

std::vector<std::wstring> ChoosePlugInFiles(HWND owner) {
    std::wstring result(kResultChars, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = result.data();
    dialog.nMaxFile = kResultChars;
    dialog.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                   OFN_ENABLESIZING;
    if (!GetOpenFileNameW(&dialog)) return {};
    return SelectedPaths(result.c_str());
}

}  // namespace imvexa::ui
