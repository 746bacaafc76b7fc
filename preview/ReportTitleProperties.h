#pragma once
// The "Report Title" dialog: edits a report title's text on one tab and on
// the other when it prints, its colour or transparency, its font, its
// alignments and whether it follows the report's scaling. It works on a
// copy and hands it back after OK when something changed. It opens on the
// tab that showed when it last closed.
//
//   TdxReportTitlePropertiesDlgData data;
//   data.ReportTitle = link->ReportTitle();
//   if (dxReportTitlePropertiesDlg(data)) RebuildPages();
#include "preview/detail/PSDialog.h"

#include <memory>

namespace qel {

class TButton;
class TCheckBox;
class TComboBox;
class TEdit;
class TGroupBox;
class TLabel;
class TMemo;
class TPageControl;
class TTabSheet;
class TdxPSColorCombo;
class TdxReportTitle;

struct TdxReportTitlePropertiesDlgData {
    int HelpContext{0};
    TdxReportTitle* ReportTitle{nullptr};
};

class TdxfmReportTitleProperties : public TdxPSDialog {
    QEL_CLASS(TdxfmReportTitleProperties)
public:
    explicit TdxfmReportTitleProperties(TComponent* AOwner);
    ~TdxfmReportTitleProperties() override;

    // The title being edited: a copy, belonging to no link.
    TdxReportTitle* ReportTitle() const { return m_title.get(); }
    // Takes the request's help context and a copy of its title, and shows it.
    void Load(const TdxReportTitlePropertiesDlgData& Data);
    // Shows the dialog on the remembered tab; true when it closed with OK
    // after a change (the controls are then in the working title).
    bool Execute() override;
    // The working title into the request's title.
    void Store(TdxReportTitlePropertiesDlgData& Data) const;

    // Reads "ActivePage" when it is there.
    void LoadFromRegistry(const std::string& Key) override;

    TPageControl* PageControl{nullptr};
    TTabSheet* tshText{nullptr};
    TMemo* memText{nullptr};
    TTabSheet* tshProperties{nullptr};
    TLabel* lblMode{nullptr};
    TComboBox* cbxMode{nullptr};
    TLabel* lblColor{nullptr};
    TdxPSColorCombo* ccbxColor{nullptr};
    TCheckBox* chbxTransparent{nullptr};
    TEdit* edFont{nullptr};
    TButton* btnFont{nullptr};
    TCheckBox* chbxAdjustOnScale{nullptr};
    TGroupBox* gbxAlignment{nullptr};
    TLabel* lblTextAlignX{nullptr};
    TComboBox* cbxTextAlignX{nullptr};
    TLabel* lblTextAlignY{nullptr};
    TComboBox* cbxTextAlignY{nullptr};
    TButton* btnRestoreDefaults{nullptr};

private:
    void CreateControls();
    void CreatePropertiesPage();
    void LoadControls();
    void SaveControls();
    void Edited();
    void ChooseFont();
    void RestoreDefaults();

    std::unique_ptr<TdxReportTitle> m_title;
    int m_activePage{0};
};

// False without a title; the title changes only on a true answer.
bool dxReportTitlePropertiesDlg(TdxReportTitlePropertiesDlgData& Data);

} // namespace qel
