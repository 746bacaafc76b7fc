#pragma once
// The "Zoom" dialog of the preview window: the zoom choices as radio
// buttons, a percent spin edit, a monitor showing the pages at the chosen
// zoom and a font sample at that zoom. It works on a hidden copy of the
// caller's preview and, after OK when something changed, answers the copy's
// zoom, which the caller applies by its mode.
//
//   if (dxShowZoomDlg(preview)) UpdateZoomBox();
#include "preview/Preview.h"
#include "preview/detail/PSDialog.h"

#include <array>
#include <vector>

namespace qel {

class TButton;
class TGroupBox;
class TLabel;
class TRadioButton;
class TSpeedButton;
class TdxPSPaintPanel;
class TdxPSSpinEdit;

// The dialog's help context; 0 hides its Help button.
inline int dxZoomDlgHelpContext = 0;

class TfmZoom : public TdxPSDialog {
    QEL_CLASS(TfmZoom)
public:
    // The radio buttons by their tags: percentages, then the fitted choices.
    enum TZoomChoice : int {
        zc500, zc200, zc150, zc100, zc75, zc50, zc25, zc10, zcPageWidth, zcWholePage, zcTwoPages, zcFourPages,
        zcManyPages
    };
    static constexpr int ZoomChoiceCount = zcManyPages + 1;
    static constexpr std::array<int, 8> ZoomPercents{500, 200, 150, 100, 75, 50, 25, 10};

    explicit TfmZoom(TComponent* AOwner);
    ~TfmZoom() override;

    // Copies the caller's page, pages and zoom into the working copy and shows them.
    void Load(const TCustomdxPreview& Preview);
    // The working copy's zoom, to be applied by its mode.
    TdxPreviewZoomSettings ZoomSettings() const { return dxPreviewZoomOf(*m_working); }
    TdxPreview* WorkingPreview() const { return m_working; }

    // Pages across (at ColumnZoom %) and down (at RowZoom %) that fit the
    // working copy; at least 1 each, also for a page or a copy without size.
    TPoint FittingPages(int ColumnZoom, int RowZoom) const;

    // The pictures onto any canvas: the monitor with the working copy's
    // pages, and the font sample at its zoom.
    void DrawMonitor(TCanvas& Canvas, const TRect& Rect) const;
    void DrawFontSample(TCanvas& Canvas, const TRect& Rect) const;
    // The pages the monitor shows, in its coordinates: none without a client area.
    std::vector<TRect> MonitorPages(const TRect& Screen) const;

    TGroupBox* gbxZoomTo{nullptr};
    std::array<TRadioButton*, ZoomChoiceCount> rbtnZoom{};
    TSpeedButton* btnManyPages{nullptr};
    TLabel* lblPercent{nullptr};
    TdxPSSpinEdit* sePercent{nullptr};
    TGroupBox* gbxPreview{nullptr};
    TdxPSPaintPanel* pnlMonitor{nullptr};
    TGroupBox* gbxFontSample{nullptr};
    TdxPSPaintPanel* pnlFontSample{nullptr};

private:
    void CreateControls();
    void ChoiceClick(int Choice);
    void PercentChanged();
    void ChooseManyPages();
    // The radio button of the working copy's zoom; -1 when none has it.
    int ChoiceOfZoom() const;
    // Checks that one (none for -1) and no other.
    void CheckChoice(int Choice);
    void ShowPercent();
    // A change: the pictures follow.
    void ZoomChanged();

    TdxPreview* m_working{nullptr};   // owned as a child
};

// The dialog on Preview, which it leaves as it is: true when the user
// accepted a change, with the chosen zoom in Settings.
bool dxShowZoomDlg(const TCustomdxPreview& Preview, TdxPreviewZoomSettings& Settings);
// False without a preview; the preview changes only on a true answer.
bool dxShowZoomDlg(TCustomdxPreview* Preview);

} // namespace qel
