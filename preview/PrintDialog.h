#pragma once
// The print dialog: printer (with its status, driver, port and comment),
// print to file, the pages to print, copies and collation, and the print
// styles of an attached manager. It edits a copy of the caller's
// TdxPrintDialogData and hands it back only on OK.
//
//   TdxPrintDialogData data;
//   data.MinRange = 1;
//   data.MaxRange = pageCount;
//   TdxPrintDialogRequest request;
//   request.Data = &data;
//   request.Title = "Print";
//   request.ButtonsVisible = request.ButtonsEnabled = {pdbPrinterProperties, pdbPreview};
//   request.OptionsVisible = request.OptionsEnabled = {pdoPrintToFile, pdoAllPages, pdoPageRange};
//   const bool ok = dxPrintDialog(request);
//   if (request.PreviewBtnClicked) Preview();   // ask this first: a preview may close with OK
//   else if (ok) Print(data);
//
// The printers are those of dxPrintDevice(); the printer chosen is selected
// on it.
#include "printing/PSForm.h"
#include "printing/PrintDialogData.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qel {

class TBitBtn;
class TButton;
class TCheckBox;
class TComboBox;
class TdxPSBitmapAnimator;
class TdxPSSpinEdit;
class TdxStyleListChangedSubscriber;
class TEdit;
class TGroupBox;
class TImageList;
class TLabel;
class TListBox;
class TMenuItem;
class TPaintBox;
class TPanel;
class TPopupMenu;
class TRadioButton;
class TBasedxPrintStyle;

// The text of one printer status value; several bits together, or a value
// it does not know, give an empty text.
std::string dxPrinterStatusText(std::uint32_t Status);

// What the printer list knows of each entry.
class TdxPrinterInfos : public TObject {
    QEL_CLASS(TdxPrinterInfos)
public:
    TdxPrinterInfos(bool AIsDefault, bool AIsNetwork) : IsDefault(AIsDefault), IsNetwork(AIsNetwork) {}
    bool IsDefault;
    bool IsNetwork;
};

// The dialog's judgement of a page list (blanks are ignored).
enum TdxPageListCheck : std::uint8_t { plcValid, plcEmpty, plcInvalid, plcOutOfRange };
// A list is invalid when a piece is not a page number or a range "a-b"
// with a <= b, or when a number is written with a leading zero ("05"); it is
// out of range when a page lies outside MinRange..MaxRange, whatever the
// page decoder would make of it.
TdxPageListCheck dxCheckPageList(const std::string& Pages, int MinRange, int MaxRange);
// The message for a list that is not valid; empty for a valid one.
std::string dxPageListMessage(TdxPageListCheck Check, int MinRange, int MaxRange);

// The print file's name as typed: trimmed, and taken without its quotes
// when it is quoted, else given the extension ".prn".
std::string dxPrintFileName(const std::string& Text);

class TdxfmPrintDialog : public TCustomdxPSForm {
    QEL_CLASS(TdxfmPrintDialog)
public:
    explicit TdxfmPrintDialog(TComponent* AOwner);
    ~TdxfmPrintDialog() override;

    // Takes the request's record, caption, buttons, options and events.
    void Load(const TdxPrintDialogRequest& Request);
    // Fills the controls from the working copy and the printer device.
    void Prepare();

    // The record as edited, and as it came in.
    const TdxPrintDialogData& WorkingData() const { return m_data; }
    const TdxPrintDialogData& InputData() const { return m_input; }
    bool Modified() const { return m_modified; }
    bool PreviewBtnClicked() const { return m_previewPressed; }
    bool StylesExpanded() const { return m_stylesExpanded; }
    // The text the warning pane shows, empty while it is hidden.
    const std::string& WarningText() const { return m_warningText; }
    TdxPrintStyleManager* StyleManager() const { return m_data.StyleManager; }

    bool CloseQuery() override;

    TGroupBox* gbxPrinter{nullptr};
    TLabel* lblName{nullptr};
    TComboBox* cbxPrinters{nullptr};
    TLabel* lblStatus{nullptr};
    TLabel* lblStatusValue{nullptr};
    TLabel* lblType{nullptr};
    TLabel* lblTypeValue{nullptr};
    TLabel* lblWhere{nullptr};
    TLabel* lblWhereValue{nullptr};
    TLabel* lblComment{nullptr};
    TLabel* lblCommentValue{nullptr};
    TButton* btnPrinterProperties{nullptr};
    TButton* btnNetwork{nullptr};
    TPanel* pnlPrintToFile{nullptr};
    TCheckBox* chbxPrintToFile{nullptr};
    TComboBox* cbxFileName{nullptr};
    TButton* btnBrowse{nullptr};

    TGroupBox* gbxPageRanges{nullptr};
    TRadioButton* rbtnAllPages{nullptr};
    TRadioButton* rbtnCurrentPage{nullptr};
    TRadioButton* rbtnPageRanges{nullptr};
    TRadioButton* rbtnSelection{nullptr};
    TEdit* edPageRanges{nullptr};
    TLabel* lblDescription{nullptr};
    TdxPSBitmapAnimator* bmaWarning{nullptr};

    TGroupBox* gbxCopies{nullptr};
    TLabel* lblNumberOfPages{nullptr};
    TComboBox* cbxNumberOfPages{nullptr};
    TLabel* lblNumberOfCopies{nullptr};
    TdxPSSpinEdit* seCopies{nullptr};
    TPaintBox* pbxCollate{nullptr};
    TCheckBox* chbxCollate{nullptr};

    TBitBtn* btnPageSetup{nullptr};
    TButton* btnPreview{nullptr};
    TButton* btnOK{nullptr};
    TButton* btnCancel{nullptr};
    TButton* btnHelp{nullptr};

    TPanel* pnlPrintStyles{nullptr};
    TGroupBox* gbxPrintStyles{nullptr};
    TListBox* lbxPrintStyles{nullptr};
    TButton* btnPageSetup2{nullptr};
    TButton* btnDefineStyles{nullptr};
    TButton* btnStyleOptions{nullptr};
    TPopupMenu* pmPrintStyles{nullptr};
    TMenuItem* miPageSetup{nullptr};
    TMenuItem* miStyleOptions{nullptr};
    TMenuItem* miDefineStyles{nullptr};

    void LoadFromRegistry(const std::string& Key) override;

protected:
    void DoShow() override;
    void DoClose(TCloseAction& Action) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void CreateControls();
    void CreatePrinterGroup();
    void CreatePageRangeGroup();
    void CreateCopiesGroup();
    void CreateButtons();
    void CreateStylesPanel();
    void ArrangeButtons();
    void ApplyVisibility();
    void ApplyEnabled();

    void MarkModified();
    void RenameCancel();
    void FillPrinters();
    void ShowPrinterStatus();
    void RefreshControls();
    void PrinterChosen();
    void PropertiesClicked();
    void NetworkClicked();
    void PrintToFileClicked();
    void BrowseClicked();
    void FileNameExited();
    void PageRangeClicked(TRadioButton* Button);
    void PageRangesKeyPress(TKeyChar& Key);
    void PageRangesExited();
    // Shows the list's judgement in the warning pane; true when valid.
    bool ShowPageListCheck(const std::string& Pages);
    void SetWarning(const std::string& Text);
    void DrawCollate();
    void DrawPrinterItem(int Index, const TRect& Rect, bool Selected);
    void PageSetupClicked();
    void SetStylesExpanded(bool Value);
    void UpdatePageSetupGlyph();
    void FillStyles();
    TBasedxPrintStyle* SelectedStyle() const;
    void StyleSelected();
    void StylePageSetup();
    void DefineStyles();
    void StyleOptions();
    bool CheckOnOK();
    bool CheckFileName();
    void StoreResult();
    void StoreSettings();

    TdxPrintDialogData m_data;
    TdxPrintDialogData m_input;
    TdxPrintDlgButtons m_buttonsEnabled;
    TdxPrintDlgButtons m_buttonsVisible;
    TdxPrintDlgOptions m_optionsEnabled;
    TdxPrintDlgOptions m_optionsVisible;
    TdxPrintDlgEvents m_events;
    bool m_loading{false};
    bool m_modified{false};
    bool m_checkOnOK{true};
    bool m_previewPressed{false};
    bool m_stylesExpanded{false};
    bool m_storedExpanded{false};
    int m_collapsedHeight{0};
    std::string m_warningText;
    std::unique_ptr<TImageList> m_images;
    std::unique_ptr<TdxStyleListChangedSubscriber> m_subscriber;
    // The style whose dialog runs; cleared when it is freed meanwhile.
    TBasedxPrintStyle* m_running{nullptr};
};

// The form loaded from Request and filled, not yet shown (dxPrintDialog shows
// it modally; pictures of it need not show it).
std::unique_ptr<TdxfmPrintDialog> dxCreatePrintDialogForm(const TdxPrintDialogRequest& Request);

// Runs the dialog: true exactly when it closed with OK; false at once
// without a request record. PreviewBtnClicked tells that a preview was
// asked for: by the dialog's own Preview button (result false, Data as it
// came in) or in a page setup it ran (result true, Data edited). Test it
// before the result.
bool dxPrintDialog(TdxPrintDialogRequest& Request);

} // namespace qel
