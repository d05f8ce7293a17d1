#pragma once
// The About box that the settings dialog's version button opens: the
// program's icon, name, version and copyright, and two links (e-mail and
// web site) that open in the mail program and the browser.
#include <memory>

#include "PixelDialog.h"
#include "URLLabel.h"
#include "Owners.h"

namespace imvexa::ui {

class TAboutForm : public TPixelDialog {
public:
    TAboutForm();

    // The links, made each time the dialog is shown (null before).
    TURLLabel* EmailLink() const { return emailLink_.get(); }
    TURLLabel* WebLink() const { return webLink_.get(); }

protected:
    void Created() override;
    void Command(int id, int notification) override;
    bool Message(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void ShowProgramIcon();
    std::unique_ptr<TURLLabel> MakeLink(int id, POINT at, const wchar_t* caption);

    win32::Icon programIcon_;
    std::unique_ptr<TURLLabel> emailLink_;
    std::unique_ptr<TURLLabel> webLink_;
};

}  // namespace imvexa::ui
