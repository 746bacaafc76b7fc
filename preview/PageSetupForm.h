#pragma once
// TdxfmPageSetupDialog: the form of the page setup dialog (PageSetupDialog.h
// runs it). It edits a copy of the caller's style; the Margins tab's rules
// are in PageSetupMargins.h. Every change handler does nothing while the
// form fills its controls, and the controls are refreshed after each change.
#include "platform/core/Guards.h"
#include "preview/PageSetupDialog.h"
#include "preview/PageSetupMargins.h"
#include "printing/PSForm.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qel {

class TBevel;
class TBitBtn;
class TBitmap;
class TButton;
class TCheckBox;
class TComboBox;
class TdxBackground;
class TdxPageSetupDialog;
class TdxPreview;
class TdxPreviewMargin;
class TdxPrintStyleManager;
class TdxPrinterPage;
class TdxPSBitmapAnimator;
class TdxPSSpinEdit;
class TCustomdxPageObject;
class TEdit;
class TGroupBox;
class TImageList;
class TLabel;
class TListBox;
class TMemo;
class TPageControl;
class TPaintBox;
class TPanel;
class TRadioButton;
class TStringList;
class TStrings;
class TTabSheet;
class TToolBar;
class TToolButton;

class TdxfmPageSetupDialog : public TCustomdxPSForm {
    QEL_CLASS(TdxfmPageSetupDialog)
public:
    explicit TdxfmPageSetupDialog(TComponent* AOwner);
    ~TdxfmPageSetupDialog() override;

    // Takes the record's style (a copy of it is edited), caption, buttons,
    // options and events.
    void SetupFromRecord(const TdxPageSetupDlgData& Data);
    // Shows the copy's page in the controls.
    void FillControls();

    // The copy being edited; nullptr before SetupFromRecord.
    TBasedxPrintStyle* EditedStyle() const { return m_style.get(); }
    // The caller's style, nullptr once it is freed.
    TBasedxPrintStyle* CallerStyle() const { return m_callerStyle; }
    bool Modified() const { return m_modified; }
    bool MarginsChanged() const { return m_marginsChanged; }
    bool InvalidMarginsWarning() const { return m_invalidWarning; }
    bool OutsidePrintableWarning() const { return m_printableWarning; }
    bool PreviewBtnClicked() const { return m_previewPressed; }
    bool PrintBtnClicked() const { return m_printPressed; }
    // The text the warning pane shows, empty while it is hidden.
    const std::string& WarningText() const { return m_warningText; }

    // The margins as the spin edits show them.
    TdxPageSetupMarginValues ShownMargins() const;
    // The spin edit of a margin.
    TdxPSSpinEdit* MarginEdit(TdxPageSetupMargin Margin) const;

    bool CloseQuery() override;

    // ----- controls -----------------------------------------------------------------
    TPanel* pnlStyleName{nullptr};
    TLabel* lblStyleName{nullptr};
    TEdit* edStyleName{nullptr};
    TButton* btnOptions{nullptr};
    TPanel* pnlButtons{nullptr};
    TButton* btnPrint{nullptr};
    TButton* btnPrintPreview{nullptr};
    TButton* btnOK{nullptr};
    TButton* btnCancel{nullptr};
    TButton* btnHelp{nullptr};
    TPanel* pnlMain{nullptr};
    TPageControl* pgctrlMain{nullptr};
    TTabSheet* tshPage{nullptr};
    TTabSheet* tshMargins{nullptr};
    TTabSheet* tshHeaderFooter{nullptr};
    TTabSheet* tshScaling{nullptr};

    // Page
    TGroupBox* gbxPaper{nullptr};
    TListBox* lbxPaperType{nullptr};
    TLabel* lblDimension{nullptr};
    TLabel* lblPaperWidth{nullptr};
    TLabel* lblPaperHeight{nullptr};
    TdxPSSpinEdit* sePaperWidth{nullptr};
    TdxPSSpinEdit* sePaperHeight{nullptr};
    TLabel* lblPaperSource{nullptr};
    TComboBox* cbxPaperSource{nullptr};
    TGroupBox* gbxOrientation{nullptr};
    TRadioButton* rBtnPortrait{nullptr};
    TRadioButton* rBtnLandscape{nullptr};
    TdxPreview* prvOrientation{nullptr};
    TGroupBox* gbxPrintOrder{nullptr};
    TRadioButton* rbtnOverThenDown{nullptr};
    TRadioButton* rbtnDownThenOver{nullptr};
    TPaintBox* pbxPrintOrder{nullptr};
    TGroupBox* gbxShading{nullptr};
    TCheckBox* chbxShading{nullptr};

    // Margins
    TGroupBox* gbxMargins{nullptr};
    TLabel* lblTop{nullptr};
    TLabel* lblBottom{nullptr};
    TLabel* lblLeft{nullptr};
    TLabel* lblRight{nullptr};
    TdxPSSpinEdit* seTop{nullptr};
    TdxPSSpinEdit* seBottom{nullptr};
    TdxPSSpinEdit* seLeft{nullptr};
    TdxPSSpinEdit* seRight{nullptr};
    TPanel* pnlHFMargins{nullptr};
    TLabel* lblHeaderMargin{nullptr};
    TLabel* lblFooterMargin{nullptr};
    TdxPSSpinEdit* seHeader{nullptr};
    TdxPSSpinEdit* seFooter{nullptr};
    TButton* btnFix{nullptr};
    TButton* btnRestoreOriginalMargins{nullptr};
    TPanel* pnlCenterOnPage{nullptr};
    TLabel* lblCenterOnPage{nullptr};
    TCheckBox* chbxCenterHorz{nullptr};
    TCheckBox* chbxCenterVert{nullptr};
    TLabel* lblPreview{nullptr};
    TdxPreview* prvMargins{nullptr};
    TdxPSBitmapAnimator* bmaWarning{nullptr};

    // Header\Footer
    TPanel* pnlHeader{nullptr};
    TLabel* lblHeader{nullptr};
    TPanel* pnlHeaderMemos{nullptr};
    TMemo* memHeaderLeft{nullptr};
    TMemo* memHeaderCenter{nullptr};
    TMemo* memHeaderRight{nullptr};
    TButton* btnHeaderFont{nullptr};
    TEdit* edHeaderFontInfo{nullptr};
    TBitBtn* btnHeaderBackground{nullptr};
    TPanel* pnlFooter{nullptr};
    TLabel* lblFooter{nullptr};
    TPanel* pnlFooterMemos{nullptr};
    TMemo* memFooterLeft{nullptr};
    TMemo* memFooterCenter{nullptr};
    TMemo* memFooterRight{nullptr};
    TButton* btnFooterFont{nullptr};
    TEdit* edFooterFontInfo{nullptr};
    TBitBtn* btnFooterBackGround{nullptr};
    TGroupBox* gbxFunctions{nullptr};
    TToolBar* tbPredefined{nullptr};
    TGroupBox* gbxVertAlignment{nullptr};
    TToolBar* tbVertAlignment{nullptr};
    TToolButton* tbtnAlignTop{nullptr};
    TToolButton* tbtnAlignCenter{nullptr};
    TToolButton* tbtnAlignBottom{nullptr};
    TCheckBox* chbxReverseOnEvenPages{nullptr};

    // Scaling
    TRadioButton* rbtnAdjustTo{nullptr};
    TdxPSSpinEdit* seScaleFactor{nullptr};
    TLabel* lblPercentOfNormalSize{nullptr};
    TRadioButton* rbtnFitTo{nullptr};
    TdxPSSpinEdit* seFitToWide{nullptr};
    TLabel* lblPagesWideBy{nullptr};
    TdxPSSpinEdit* seFitToTall{nullptr};
    TLabel* lblTall{nullptr};

protected:
    void DoShow() override;
    void DoClose(TCloseAction& Action) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    struct TPaperEntry {
        int Code;
        bool Envelope;
    };
    struct TBinEntry {
        int Code;
        bool Automatic;
    };

    // ----- construction (PageSetupForm.cpp) -----
    void CreateControls();
    void CreatePageTab();
    void CreateMarginsTab();
    void CreateHeaderFooterTab();
    void CreateScalingTab();
    void CreateButtons();
    TdxPSSpinEdit* CreateSpinEdit(TWinControl* Parent, TLabel* Label, int Left, int Top, int Width, bool Float,
                                  bool OwnPageIncrement = false);
    void CreateHeaderFooterPart(bool Header, int Top);
    // A check box that sets a Boolean of the page (and repaints Shows).
    void BindToPage(TCheckBox* Box, void (TdxPrinterPage::*Set)(bool), TControl* Shows = nullptr);
    void ArrangeButtons();
    void ApplyOptionsVisible();
    void ApplyEnabled();
    void CreateFunctionButtons();

    // ----- filling and refreshing (PageSetupFormPage.cpp) -----
    TdxPrinterPage* Page() const;
    void MarkModified();
    void RefreshControls();
    void FillPapers();
    void FillPaperSources();
    void ChoosePaper();
    void PaperSizeEdited();
    void UpdatePaperSizeEdits();
    void SetPreviewPages();
    void OrientationClicked(int Tag);
    void DrawPaperItem(int Index, const TRect& Rect, bool Selected);
    void DrawBinItem(int Index, const TRect& Rect, bool Selected);
    void DrawPrintOrder();
    void StyleNameExited();
    bool StyleNameIsUnique();
    void OptionsClicked();
    void PreviewOrPrintClicked(bool Print);
    int ToThousandths(double Value) const;

    // ----- margins tab (PageSetupFormMargins.cpp) -----
    TdxPageSetupPageExtent PageExtent() const;
    void SetMarginBounds();
    void LoadMargins();
    void SetShownMargins(const TdxPageSetupMarginValues& Values);
    void WriteMarginsToPage();
    void ValidateMargins();
    std::optional<TdxPageSetupOffsets> PrinterOffsets() const;
    TdxPageSetupBorder PrinterBorder() const;
    void SetWarnings(bool Invalid, bool Outside);
    void ShowWarning(const std::string& Text);
    void FixMargins();
    // Raises the margins to the printer's border, or clamps them into their ranges.
    void ApplyFix(bool Printable);
    void AnswerInvalidMargins();
    void RestoreOriginalMargins();
    void MarginEdited();
    void MarginsTabChanging(bool& AllowChange);
    void CheckMarginsOnClose();
    void MarginDragged(TdxPreviewMargin* Margin);
    void PutMarginsIntoPreview();
    void DrawMarginsPreviewPage(TCanvas& Canvas, const TRect& PageRect);
    void CommitActiveControl();

    // ----- header, footer and scaling (PageSetupFormHeaderFooter.cpp) -----
    TCustomdxPageObject* PageObject(bool Header) const;
    TStrings* TitlePart(int Tag) const;
    TMemo* Memo(int Tag) const;
    void MemoEntered(TMemo* Memo);
    void MemoExited(TMemo* Memo);
    // The memo's text becomes its title part.
    void CommitMemo(TMemo* Memo);
    void AlignYClicked(int Tag);
    void FunctionClicked(int Tag);
    void FontClicked(bool Header);
    void BackgroundClicked(bool Header);
    void UpdateBackgroundGlyph(bool Header);
    void SetToolBarsEnabled(bool Value);
    void ScaleModeClicked(int Tag);
    void ScaleEdited(TdxPSSpinEdit* Edit);
    void ScaleExited(TdxPSSpinEdit* Edit);

    std::unique_ptr<TBasedxPrintStyle> m_style;
    TBasedxPrintStyle* m_callerStyle{nullptr};
    TdxPrintStyleManager* m_manager{nullptr};
    TdxPageSetupDlgEvents m_events;
    TdxHFMode m_hfMode{hfmThreeSections};
    TdxPageSetupDlgButtons m_buttonsEnabled;
    TdxPageSetupDlgButtons m_buttonsVisible;
    TdxPageSetupDlgOptions m_optionsEnabled;
    TdxPageSetupDlgOptions m_optionsVisible;

    bool m_modified{false};
    bool m_loading{false};
    bool m_marginsChanged{false};
    bool m_validating{false};
    bool m_invalidWarning{false};
    bool m_printableWarning{false};
    bool m_paperListUpdating{false};
    bool m_paperSizeEdited{false};
    bool m_previewPressed{false};
    bool m_printPressed{false};
    bool m_marginsEnabled{true};
    std::string m_warningText;

    std::vector<TPaperEntry> m_papers;   // parallel to lbxPaperType's items
    std::vector<TBinEntry> m_bins;       // parallel to cbxPaperSource's items
    std::unique_ptr<TStringList> m_functionTemplates;
    std::unique_ptr<TImageList> m_paperImages;
    std::unique_ptr<TImageList> m_pageOrderImages;
    std::unique_ptr<TImageList> m_alignYImages;
    std::unique_ptr<TImageList> m_functionImages;
    TMemo* m_activeMemo{nullptr};
};

// The form for a record, set up and filled, not yet shown (dxPageSetupDlg
// shows it modally; pictures of it need not show it).
std::unique_ptr<TdxfmPageSetupDialog> dxCreatePageSetupForm(const TdxPageSetupDlgData& Data);

} // namespace qel
