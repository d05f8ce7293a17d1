// Setup.exe (installed as Vignar.exe): installs Imvexa, or with "/U" or "/u"
// as its first argument removes it. All dialogue happens in Vignar.cpl.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "Owners.h"
#include "Setup.h"

namespace {

std::wstring FirstArgument() {
    int count = 0;
    const imvexa::win32::LocalMemory<LPWSTR*> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!arguments) return {};
    return count > 1 ? arguments.Get()[1] : L"";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::wstring first = FirstArgument();
    if (first == L"/U" || first == L"/u")
        Uninstall();
    else
        Install();
    return 0;
}
