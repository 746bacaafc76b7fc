#pragma once
// TdxTLReportLinkDesignWindow: the report designer of the tree-list and grid
// report links. Four pages (Options, Colors, Fonts, Behaviors) write the
// link's settings as the user changes them, and a sample tree list beside
// them shows each change at once. The component printer's DesignReport
// opens it for a link and keeps the changes only when it closes with OK.
//
//   dxInstallTLReportLinkDesignWindow();       // once, at start-up
//   printer->DesignReport(link);               // shows the window for the link
//
// Handlers do nothing while the controls are being loaded from the link, and
// nothing once the link is gone: a link freed while the window is open ends
// the window as Cancel would.
#include "printing/ReportLinkDesignWindow.h"
#include "printing/TreeListReportLink.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TCheckBox;
class TComboBox;
class TGroupBox;
class TImageList;
class TLabel;
class TListBox;
class TMenuItem;
class TPageControl;
class TPanel;
class TPopupMenu;
class TTabSheet;
class TdxPSColorCombo;
class TdxPSSpinEdit;
class TdxTreeList;
class TdxTreeListNode;

class TdxTLReportLinkDesignWindow : public TAbstractdxReportLinkDesignWindow {
    QEL_CLASS(TdxTLReportLinkDesignWindow)
public:
    // The fonts list, in list order.
    enum TFontItem : int {
        fiBand, fiFont, fiOdd, fiEven, fiGroupNode, fiFooter, fiHeader, fiPreview, fiRowFooter, fiCount
    };
    // The colour combos by the index their handler reads.
    enum TColorItem : int {
        ciColor, ciEvenColor, ciPreviewColor, ciBandColor, ciGroupNodeColor, ciHeaderColor, ciRowFooterColor,
        ciGridLineColor, ciCount
    };

    explicit TdxTLReportLinkDesignWindow(TComponent* AOwner);
    ~TdxTLReportLinkDesignWindow() override;

    // The link being designed as a tree-list link (nullptr when none or another kind).
    TCustomdxTreeListReportLink* TreeListLink() const;

    // Loads the link into the controls, then the enabled states and the sample.
    void LoadControls() override;

    // The link's font of a fonts-list item.
    TFont* ItemFont(int Index) const;
    // Whether the item's font may be changed now (the odd and even fonts only in tldmOddEven).
    bool IsItemChangeable(int Index) const;
    // The font dialog on the selected changeable items (nothing when none is).
    void ChangeFont();

    // The sixteen paint-option boxes by option.
    TCheckBox* OptionBox(TdxTreeListPaintOption Option) const { return m_optionBoxes[Option]; }
    TdxPSColorCombo* ColorCombo(TColorItem Item) const { return m_colorCombos[Item]; }
    TLabel* ColorLabel(TColorItem Item) const { return m_colorLabels[Item]; }

    TPageControl* PageControl{nullptr};
    TTabSheet* tshOptions{nullptr};
    TTabSheet* tshColors{nullptr};
    TTabSheet* tshFonts{nullptr};
    TTabSheet* tshBehaviors{nullptr};

    // Options
    TGroupBox* gbxShow{nullptr};
    TCheckBox* chbxAutoCalcPreviewLines{nullptr};
    TLabel* lblPreviewLineCount{nullptr};
    TdxPSSpinEdit* sePreviewLineCount{nullptr};
    TGroupBox* gbxGrid{nullptr};
    TGroupBox* gbxImages{nullptr};
    TGroupBox* gbxMiscellaneous{nullptr};
    TLabel* lblDrawMode{nullptr};
    TComboBox* cbxDrawMode{nullptr};

    // Colors
    TGroupBox* gbxTransparent{nullptr};
    TCheckBox* chbxTransparent{nullptr};
    TGroupBox* gbxFixedTransparent{nullptr};
    TCheckBox* chbxFixedTransparent{nullptr};

    // Fonts
    TListBox* lbxFonts{nullptr};
    TButton* btnChangeFont{nullptr};
    TPopupMenu* pmChangeFont{nullptr};
    TMenuItem* miChangeFont{nullptr};

    // Behaviors
    TGroupBox* gbxSelection{nullptr};
    TCheckBox* chbxOnlySelected{nullptr};
    TCheckBox* chbxExtendedSelect{nullptr};
    TGroupBox* gbxNodeExpanding{nullptr};
    TCheckBox* chbxAutoNodesExpand{nullptr};
    TLabel* lblExpandLevel{nullptr};
    TdxPSSpinEdit* seExpandLevel{nullptr};
    TGroupBox* gbxOnEveryPage{nullptr};
    TCheckBox* chbxBandsOnEveryPage{nullptr};
    TCheckBox* chbxHeadersOnEveryPage{nullptr};
    TCheckBox* chbxFootersOnEveryPage{nullptr};
    TGroupBox* gbxGraphics{nullptr};
    TGroupBox* gbx3DEffects{nullptr};

    // The sample
    TPanel* pnlPreview{nullptr};
    TdxTreeList* dxTLPreview{nullptr};

protected:
    // The link's settings into the controls (under the loading lock).
    virtual void LoadFromLink();
    // The run-time captions of every page and control.
    virtual void LoadStrings();
    virtual void PaintPreview();
    virtual void UpdateControlsState();
    // The link's settings onto the sample.
    virtual void UpdatePreview();
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void CreateOptionsPage();
    void CreateColorsPage();
    void CreateFontsPage();
    void CreateBehaviorsPage();
    void CreateSample();
    TGroupBox* NewGroup(TWinControl* Parent, const char* Name, int Left, int Top, int Width, int Height);
    TCheckBox* NewBox(TWinControl* Parent, const char* Name, int Left, int Top, int Width = 200);
    TCheckBox* NewOptionBox(TWinControl* Parent, const char* Name, TdxTreeListPaintOption Option, int Left, int Top,
                            int Width = 200);
    // The box writes its setting through Set.
    void BindBox(TCheckBox* Box, void (TCustomdxTreeListReportLink::*Set)(bool));
    TLabel* NewLabel(TWinControl* Parent, const char* Name, int Left, int Top, TWinControl* Focus);
    TdxPSSpinEdit* NewSpin(TWinControl* Parent, const char* Name, int Left, int Top, int Min, int Max);
    TdxPSColorCombo* NewColorCombo(TWinControl* Parent, TColorItem Item, const char* Name, int Left, int Top);

    // What every handler does after writing a setting.
    void Edited();
    // False while loading or without a link: the handler then does nothing.
    bool CanEdit() const;
    void OptionBoxClick(TCheckBox* Box);
    void ColorChange(TdxPSColorCombo* Combo);
    void LoadFontItems();

    // The sample's drawing.
    void DrawSampleCell(TCanvas& Canvas, const TRect& Rect, TdxTreeListNode* Node, int Column);
    void DrawSamplePreview(TCanvas& Canvas, const TRect& Rect, TdxTreeListNode* Node);
    void DrawSampleFooter(TCanvas& Canvas, const TRect& Rect, const std::string& Text, TFont* Font, TColor Color,
                          bool Lines);
    TColor SampleRowColor(TdxTreeListNode* Node) const;
    TFont* SampleRowFont(TdxTreeListNode* Node) const;

    bool m_loading{false};
    std::array<TCheckBox*, 16> m_optionBoxes{};
    std::array<TdxPSColorCombo*, ciCount> m_colorCombos{};
    std::array<TLabel*, ciCount> m_colorLabels{};
    TImageList* m_shapeImages{nullptr};   // owned as components
    TImageList* m_stateImages{nullptr};
};

// Registers the window as a class the link registry can name, and installs
// the runner through which report links show their design windows.
void dxInstallTLReportLinkDesignWindow();

} // namespace qel
