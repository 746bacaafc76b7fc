#pragma once
// The page setup dialog: the page settings of one print style — name, paper,
// source, orientation, print order, shading, margins, centring, header and
// footer texts with their fonts and backgrounds, and scaling — edited on a
// copy of the style that goes back to it only when OK is pressed after a
// change.
//
//   TdxPageSetupDialog dialog(form);
//   dialog.SetPrintStyle(style);
//   dialog.SetActivePageIndex(1);            // start on the Margins tab
//   if (dialog.Execute()) ...                // OK: style holds the changes
//
// Also here: the registry of print-style options editors, and the two
// warning boxes of the Margins tab.
#include "platform/core/Component.h"
#include "platform/core/Events.h"
#include "platform/core/TSet.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <functional>
#include <string>

namespace qel {

class TBasedxPrintStyle;
class TCanvas;

enum TdxPageSetupDlgButton : std::uint8_t { psbHelp, psbStyleOptions, psbPreview, psbPrint };
using TdxPageSetupDlgButtons = TSet<TdxPageSetupDlgButton>;

enum TdxPageSetupDlgOption : std::uint8_t {
    psoCenterOnPage, psoMargins, psoPageOrder, psoShading, psoStyleCaption, psoHFAutoText, psoHFBackground,
    psoHFFont, psoHFText, psoHFFunctions, psoHFMargins, psoHFReverse, psoHFVertAlignment
};
using TdxPageSetupDlgOptions = TSet<TdxPageSetupDlgOption>;
inline constexpr TdxPageSetupDlgOptions dxAllPageSetupDlgOptions{
    psoCenterOnPage, psoMargins,     psoPageOrder,   psoShading, psoStyleCaption, psoHFAutoText,    psoHFBackground,
    psoHFFont,       psoHFText,      psoHFFunctions, psoHFMargins, psoHFReverse,  psoHFVertAlignment};
inline constexpr TdxPageSetupDlgButtons dxDefaultPageSetupDlgButtons{psbStyleOptions, psbPreview, psbPrint};

// Only the left text of header and footer is offered with hfmOneSection.
enum TdxHFMode : std::uint8_t { hfmThreeSections, hfmOneSection };

// Replaces the sample drawn on the page of the margins preview; the
// rectangles are the page, the area inside the margins, and the header and
// footer bands, in the preview's pixels.
using TdxCustomDrawPreviewEvent =
    std::function<void(TObject* Sender, TBasedxPrintStyle* APrintStyle, TCanvas& ACanvas, TRect& APageRect,
                       TRect& AContentRect, TRect& AHeaderRect, TRect& AFooterRect)>;

struct TdxPageSetupDlgEvents {
    TNotifyEvent OnClose;
    TdxCustomDrawPreviewEvent OnCustomDrawPreview;
    TNotifyEvent OnShow;
};

// What the caller hands to dxPageSetupDlg.
struct TdxPageSetupDlgData {
    TBasedxPrintStyle* PrintStyle = nullptr;
    int ActivePageIndex = 0;              // in: the tab shown first; out: the tab showing at close
    std::string Title;                    // the form's caption
    int HelpContext = 0;
    TdxHFMode HFMode = hfmThreeSections;
    TdxPageSetupDlgButtons ButtonsEnabled;
    TdxPageSetupDlgButtons ButtonsVisible;
    TdxPageSetupDlgOptions OptionsEnabled;
    TdxPageSetupDlgOptions OptionsVisible;
    const TdxPageSetupDlgEvents* Events = nullptr;
    bool PreviewBtnClicked = false;       // out
    bool PrintBtnClicked = false;         // out
};

// Runs the dialog: true exactly when it closed with OK. False at once without
// a style. The style may be freed while the dialog is open; nothing is
// written back then.
bool dxPageSetupDlg(TdxPageSetupDlgData& Data);

class TdxPageSetupDialog : public TComponent {
    QEL_CLASS(TdxPageSetupDialog)
public:
    static constexpr const char* DefaultTitle = "Page Setup";

    explicit TdxPageSetupDialog(TComponent* AOwner);
    ~TdxPageSetupDialog() override;

    int ActivePageIndex() const { return m_activePageIndex; }
    void SetActivePageIndex(int Value) { m_activePageIndex = Value; }
    TdxPageSetupDlgButtons ButtonsEnabled() const { return m_buttonsEnabled; }
    void SetButtonsEnabled(TdxPageSetupDlgButtons Value) { m_buttonsEnabled = Value; }
    TdxPageSetupDlgButtons ButtonsVisible() const { return m_buttonsVisible; }
    void SetButtonsVisible(TdxPageSetupDlgButtons Value) { m_buttonsVisible = Value; }
    int HelpContext() const { return m_helpContext; }
    void SetHelpContext(int Value) { m_helpContext = Value; }
    TdxHFMode HFMode() const { return m_hfMode; }
    void SetHFMode(TdxHFMode Value) { m_hfMode = Value; }
    TdxPageSetupDlgOptions OptionsEnabled() const { return m_optionsEnabled; }
    void SetOptionsEnabled(TdxPageSetupDlgOptions Value) { m_optionsEnabled = Value; }
    TdxPageSetupDlgOptions OptionsVisible() const { return m_optionsVisible; }
    void SetOptionsVisible(TdxPageSetupDlgOptions Value) { m_optionsVisible = Value; }
    // Cleared when the style is freed.
    TBasedxPrintStyle* PrintStyle() const { return m_printStyle; }
    void SetPrintStyle(TBasedxPrintStyle* Value);
    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& Value) { m_title = Value; }

    bool PreviewBtnClicked() const { return m_previewBtnClicked; }
    bool PrintBtnClicked() const { return m_printBtnClicked; }

    // False without PrintStyle; otherwise runs the dialog and keeps what it
    // answered (the two buttons and the tab showing at close).
    bool Execute();
    // The caption Execute gives the form for Style.
    std::string FormCaption(const TBasedxPrintStyle* Style) const;
    // The record Execute hands to dxPageSetupDlg (PrintStyle must be set).
    TdxPageSetupDlgData DialogData(const TdxPageSetupDlgEvents* Events) const;

    TNotifyEvent OnClose;
    TNotifyEvent OnShow;
    TdxCustomDrawPreviewEvent OnCustomDrawPreview;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    int m_activePageIndex{0};
    TdxPageSetupDlgButtons m_buttonsEnabled{dxDefaultPageSetupDlgButtons};
    TdxPageSetupDlgButtons m_buttonsVisible{dxDefaultPageSetupDlgButtons};
    int m_helpContext{0};
    TdxHFMode m_hfMode{hfmThreeSections};
    TdxPageSetupDlgOptions m_optionsEnabled{dxAllPageSetupDlgOptions};
    TdxPageSetupDlgOptions m_optionsVisible{dxAllPageSetupDlgOptions};
    TBasedxPrintStyle* m_printStyle{nullptr};
    std::string m_title{DefaultTitle};
    bool m_previewBtnClicked{false};
    bool m_printBtnClicked{false};
};

// The form's caption: Title, and for a style of a manager ": " and its
// caption; an empty caption leaves "Title " (no colon).
std::string dxPageSetupTitle(const std::string& Title, const std::string& StyleCaption, bool InManager);

// The page setup runner of the print styles (TBasedxPrintStyle::PageSetup):
// Dialog is the manager's shared dialog component or nullptr.
bool dxRunPrintStylePageSetup(TBasedxPrintStyle& Style, TComponent* Dialog, int ActivePageIndex,
                              bool* PreviewBtnClicked, bool* PrintBtnClicked);

// ----- print-style options editors ------------------------------------------------------
// An options editor shows the options of one style class on a copy of a
// style; Execute answers whether OK was taken, Modified whether the copy changed.
class TdxPrintStyleOptionsEditor : public TComponent {
    QEL_CLASS(TdxPrintStyleOptionsEditor)
public:
    explicit TdxPrintStyleOptionsEditor(TComponent* AOwner) : TComponent(AOwner) {}
    virtual bool Execute(TBasedxPrintStyle& Style, bool& Modified) = 0;
};

// Pairs of (print-style class, editor class), by registered class name. A
// style class is also registered for streaming (it must be registered with
// the class registry as a print style). An empty editor class stands for
// "no editor".
void RegisterPrintStyleClass(const std::string& StyleClass, const std::string& EditorClass);
void UnregisterPrintStyleClass(const std::string& StyleClass, const std::string& EditorClass);
void UnregisterAllPrintStyleClasses();
// The editor of the newest pair whose style class is exactly StyleClass
// (no inheritance); empty when none.
std::string GetPrintStyleEditorClass(const std::string& StyleClass);

// ----- the Margins tab's warning boxes ---------------------------------------------------
// Buttons "&Fix", "Restore &Original" and "Close" (mrYes, mrNo, mrCancel),
// widened for their captions.
int MessageFixRestoreClose(const std::string& Text);
// Buttons "&Fix" and "Ignore" (mrYes, mrIgnore).
int MessageFixIgnore(const std::string& Text);

} // namespace qel
