#pragma once
// TdxfmStdPreview: the preview window the printing system registers as its
// preview window class. It adds to TCustomdxPSPreviewWindow the main menu,
// the tool bar with the zoom box and the page-number box, the preview's and
// the tool bar's context menus and the print-styles menus, and keeps the
// tool bar's look. Every command calls an operation of the base window.
//
// Commands are driven as a person would: menu items by caption
// (FindMenuItem("&View", "&Zoom", "Page &Width")->Click()), tool buttons
// (tbPageWidth->Click()), shortcuts (SimulateKey), the zoom box by text.
#include "preview/PreviewWindow.h"

#include <memory>
#include <string>
#include <vector>

namespace qel {

class TImageList;
class TMainMenu;
class TMenuItem;
class TPopupMenu;
class TToolBar;
class TToolButton;
class TdxPSSpinEdit;
class TdxZoomFactorComboEdit;

// The tool bar pictures, in the order of TdxPreviewGlyph; the disabled
// lists hold the same pictures greyed.
enum TdxPreviewGlyph : int {
    pgDesign, pgPrint, pgPrintDialog, pgPageSetup, pgBackground, pgShrinkToPageWidth, pgZoom100, pgPageWidth,
    pgOnePage, pgTwoPages, pgFourPages, pgMultiplePages, pgWidenToSourceWidth, pgFirstPage, pgPrevPage, pgNextPage,
    pgLastPage, pgHelp, pgClose, pgZoom, pgGlyphCount
};
// Draws the pictures into an image list of Size x Size images.
void dxFillPreviewGlyphs(TImageList& List, int Size, bool Disabled);

// Makes the standard preview window the printing system's preview window
// class (once; later calls change nothing).
void dxInstallStdPreviewWindow();

class TdxfmStdPreview : public TCustomdxPSPreviewWindow {
    QEL_CLASS(TdxfmStdPreview)
public:
    // Tool bar sizes: small and large buttons.
    struct TToolBarMetrics {
        int Height;
        int ButtonWidth;
        int ButtonHeight;
        int ZoomBoxWidth;
    };
    static constexpr TToolBarMetrics SmallMetrics{30, 27, 24, 80};
    static constexpr TToolBarMetrics LargeMetrics{38, 35, 32, 100};

    explicit TdxfmStdPreview(TComponent* AOwner);
    ~TdxfmStdPreview() override;

    void UpdateControls() override;

    bool FlatCtrls() const { return m_flatCtrls; }
    void SetFlatCtrls(bool Value);
    bool LargeBtns() const { return m_largeBtns; }
    void SetLargeBtns(bool Value);

    // ----- what a script drives
    TMainMenu* MainMenu() const { return m_mainMenu; }
    TPopupMenu* PreviewPopupMenu() const { return m_previewPopup; }
    TPopupMenu* ToolBarPopupMenu() const { return m_toolBarPopup; }
    TPopupMenu* PageSetupDropDownMenu() const { return m_pageSetupDropDown; }
    // An item of the main menu by the captions on its way ("&File", "&Print...").
    TMenuItem* FindMenuItem(const std::vector<std::string>& Path) const;
    TToolBar* ToolBar() const { return m_toolBar; }
    TdxZoomFactorComboEdit* ZoomBox() const { return m_zoomBox; }
    TdxPSSpinEdit* PageNumberBox() const { return m_pageNumberBox; }
    // True while a print or page setup started from a command of any preview window runs.
    static bool CommandRunning();

    TToolButton* tbReportDesigner{nullptr};
    TToolButton* tbPrint{nullptr};
    TToolButton* tbPrintDialog{nullptr};
    TToolButton* tbPageSetup{nullptr};
    TToolButton* tbPageBackground{nullptr};
    TToolButton* tbShrinkToPageWidth{nullptr};
    TToolButton* tbPercent100{nullptr};
    TToolButton* tbPageWidth{nullptr};
    TToolButton* tbOnePage{nullptr};
    TToolButton* tbTwoPage{nullptr};
    TToolButton* tbFourPage{nullptr};
    TToolButton* tbMultiplePages{nullptr};
    TToolButton* tbWidenToSourceWidth{nullptr};
    TToolButton* tbGotoFirstPage{nullptr};
    TToolButton* tbGotoPrevPage{nullptr};
    TToolButton* tbGotoNextPage{nullptr};
    TToolButton* tbGotoLastPage{nullptr};
    TToolButton* tbHelp{nullptr};
    TToolButton* tbClose{nullptr};
    TPanel* pnlZoomCbx{nullptr};
    TPanel* pnlCurrentPage{nullptr};

    // ----- commands (Sender: the button or menu item; its tag picks the variant)
    void ZoomClick(TObject* Sender);
    void PrintClick(TObject* Sender);
    void PageSetupClick(TObject* Sender);
    void DesignClick(TObject* Sender);
    void PageBackgroundClick(TObject* Sender);
    void ShrinkToPageWidthClick(TObject* Sender);
    void MultiplePagesClick(TObject* Sender);
    void GoToPageClick(TObject* Sender);
    void CloseClick(TObject* Sender);
    void HelpClick(TObject* Sender);

protected:
    void CreateControls() override;
    void LoadStrings() override;
    void AfterPrintReport() override;
    void StyleListChanged(TObject* Sender) override;
    void DoZoomFactorChanged() override;
    void DoZoomModeChanged() override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void LoadFromRegistry(const std::string& Key) override;
    void SaveToRegistry(const std::string& Key) override;

private:
    void CreateImages();
    void CreateToolBar();
    void CreateMenus();
    void CreateZoomBox();
    void CreatePageNumberBox();
    TToolButton* AddButton(const char* Name, int Tag, TdxPreviewGlyph Glyph, void (TdxfmStdPreview::*Command)(TObject*),
                           TToolButtonStyle Style = tbsButton);
    void AddSeparator();
    TMenuItem* AddItem(TMenuItem* Parent, const char* Caption, TNotifyEvent OnClick = {}, TShortCut ShortCut = 0,
                       int ImageIndex = -1, int Tag = 0);
    void ApplyToolBarLook();
    void ZoomBoxApply(const std::string& Text);
    void ShowZoomFactor();
    void PageNumberEntered();
    void RebuildPrintStylesMenus();
    void MirrorPreviewPopup();
    std::string HintOf(const std::string& Caption, const std::string& Key) const;

    bool m_flatCtrls{true};
    bool m_largeBtns{false};
    TImageList* m_smallImages{nullptr};
    TImageList* m_smallDisabledImages{nullptr};
    TImageList* m_largeImages{nullptr};
    TImageList* m_largeDisabledImages{nullptr};
    TToolBar* m_toolBar{nullptr};
    TdxZoomFactorComboEdit* m_zoomBox{nullptr};
    TdxPSSpinEdit* m_pageNumberBox{nullptr};
    TMainMenu* m_mainMenu{nullptr};
    TPopupMenu* m_previewPopup{nullptr};
    TPopupMenu* m_toolBarPopup{nullptr};
    TPopupMenu* m_pageSetupDropDown{nullptr};
    bool m_updatingPageBox{false};
    // Items the enabling and check marks are set on.
    struct TItems {
        TMenuItem *File{}, *Design{}, *Print{}, *PageSetup{}, *PrintStyles{}, *Options{}, *Close{};
        TMenuItem *Edit{}, *View{}, *Margins{}, *FlatButtons{}, *LargeButtons{}, *ToolBarItem{}, *MarginsBar{},
            *StatusBar{}, *Zoom{}, *Zoom100{}, *PageWidth{}, *WholePage{}, *TwoPages{}, *FourPages{}, *Widen{},
            *ZoomSetup{}, *PageHeaders{}, *PageFooters{};
        TMenuItem *Format{}, *AutoText{}, *DateTime{}, *PageNumbering{}, *ShowEmptyPages{}, *ShrinkToPage{},
            *Background{};
        TMenuItem *Go{}, *FirstPage{}, *PrevPage{}, *NextPage{}, *LastPage{};
        TMenuItem *Help{}, *HelpTopics{}, *About{};
        TMenuItem *PopupDesign{}, *PopupPageSetup{}, *PopupPrintStyles{}, *PopupShrink{}, *PopupZoom{},
            *PopupFirst{}, *PopupPrev{}, *PopupNext{}, *PopupLast{};
        TMenuItem *TbFlat{}, *TbLarge{};
    } m;
};

} // namespace qel
