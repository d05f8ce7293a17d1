#pragma once
// The settings dialog: reduction mode, text extensions and Susie plug-ins.
// Apply writes them to the registry, reloads the plug-ins and registers the
// thumbnail handler for every extension now served.
#include <string>
#include <vector>

#include "PixelDialog.h"

namespace imvexa::ui {

class TConfigForm : public TPixelDialog {
public:
    enum ControlId {
        Label3 = 100,
        Bevel1,
        m_rdbQuality,
        m_rdbSpeed,
        Label1,
        Bevel2,
        m_edtTextExtension,
        Label4,
        Label2,
        Bevel3,
        m_lstSusiePlugIn,
        m_btnAdd,
        m_btnDelete,
        Label5,
        Bevel4,
        m_btnOK = IDOK,
        m_btnCancel = IDCANCEL,
        m_btnApply = 200,
        m_btnVersion,
    };

    TConfigForm();

protected:
    void Created() override;
    void Command(int id, int notification) override;

private:
    void FormShow();
    void m_btnAddClick();
    void m_btnDeleteClick();
    void m_btnVersionClick();
    // False when nothing was written because the settings are not writable.
    bool m_btnApplyClick();
    void m_btnOKClick();
    void m_btnCancelClick();

    std::vector<std::wstring> PlugInItems() const;
    bool HasPlugIn(const std::wstring& path) const;
    void OfferAdministratorRights();
};

}  // namespace imvexa::ui
