#include "AboutFrm.h"

namespace imvexa::ui {

namespace {

std::vector<ControlSpec> AboutLayout() {
    return {
        {IDOK, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 264, 123, 89, 22},
    };
}

}  // namespace

TAboutForm::TAboutForm() : TPixelDialog(361, 153, AboutLayout()) {}

void TAboutForm::Created() { SetWindowTextW(Handle(), L"Imvexa のバージョン情報"); }

void TAboutForm::Command(int id, int) {
    if (id == IDOK) Close(IDOK);
}

}  // namespace imvexa::ui
