#pragma once
// The About box that the settings dialog's version button opens.
#include "PixelDialog.h"

namespace imvexa::ui {

class TAboutForm : public TPixelDialog {
public:
    TAboutForm();

protected:
    void Created() override;
    void Command(int id, int notification) override;
};

}  // namespace imvexa::ui
