#include "preview/ZoomDialog.h"

#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "platform/core/MathUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "preview/PageChooser.h"
#include "preview/detail/DialogLayout.h"
#include "printing/PrintControls.h"

#include <algorithm>

namespace qel {

QEL_REGISTER_CLASS(TfmZoom, TdxPSDialog);

using namespace detail;

namespace {

constexpr const char* kChoiceCaptions[TfmZoom::ZoomChoiceCount] = {
    "500 %", "&200 %", "150 %", "&100 %", "&75 %", "&50 %", "25 %", "10 %", "Page &Width", "W&hole Page",
    "&Two Pages", "&Four Pages", "&Many Pages:"};
constexpr const char* kSampleText = "AaBbCcDdEeXxYyZz";
constexpr int kSampleLines = 7;

// The small black arrow of a drop-down button.
std::unique_ptr<TBitmap> DropDownGlyph()
{
    auto glyph = std::make_unique<TBitmap>(7, 4);
    TCanvas* c = glyph->Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 7, 4));
    for (int row = 0; row < 4; ++row)
        for (int x = row; x < 7 - row; ++x)
            glyph->SetPixel(x, row, clBlack);
    return glyph;
}

// The page grid each fitted choice sets.
TPoint ChoiceGrid(int Choice)
{
    switch (Choice) {
    case TfmZoom::zcTwoPages: return {2, 1};
    case TfmZoom::zcFourPages: return {2, 2};
    default: return {1, 1};
    }
}

} // namespace

TfmZoom::TfmZoom(TComponent* AOwner) : TdxPSDialog(AOwner, "Zoom", 424, 250)
{
    CreateControls();
    m_working = new TdxPreview(this);
    m_working->SetVisible(false);
    m_working->SetParent(this);
    m_working->SetMinZoomFactor(10);
}

TfmZoom::~TfmZoom() { Destroying(); }

void TfmZoom::CreateControls()
{
    gbxZoomTo = Place<TGroupBox>(this, this, 8, 6, 236, 206);
    gbxZoomTo->SetCaption(" Zoom To ");
    for (int i = 0; i < ZoomChoiceCount; ++i) {
        const bool percent = i <= zc10;
        const int row = percent ? i : i - zcPageWidth;
        auto* b = Place<TRadioButton>(gbxZoomTo, this, percent ? 12 : 104, 20 + row * 22, percent ? 80 : 96, 17);
        b->SetCaption(kChoiceCaptions[i]);
        b->SetTag(i);
        b->OnClick = [this, i](TObject*) { ChoiceClick(i); };
        rbtnZoom[std::size_t(i)] = b;
    }
    btnManyPages = Place<TSpeedButton>(gbxZoomTo, this, 202, 20 + 4 * 22 - 2, 20, 21);
    btnManyPages->SetName("btnManyPages");
    btnManyPages->SetGlyph(DropDownGlyph().get());
    btnManyPages->OnClick = [this](TObject*) { ChooseManyPages(); };

    lblPercent = Place<TLabel>(gbxZoomTo, this, 104, 136, 80, 16);
    lblPercent->SetCaption("P&ercent:");
    sePercent = Place<TdxPSSpinEdit>(gbxZoomTo, this, 104, 154, 80, 22);
    sePercent->SetName("sePercent");
    sePercent->SetLegendText("%");
    sePercent->OnChange = [this](TObject*) { PercentChanged(); };
    lblPercent->SetFocusControl(sePercent);
    lblPercent->OnClick = [this](TObject*) {
        if (sePercent->CanFocus())
            sePercent->SetFocus();
    };

    gbxPreview = Place<TGroupBox>(this, this, 252, 6, 164, 206);
    gbxPreview->SetCaption(" Preview ");
    pnlMonitor = Place<TdxPSPaintPanel>(gbxPreview, this, 8, 18, 148, 112);
    gbxFontSample = Place<TGroupBox>(gbxPreview, this, 8, 134, 148, 64);
    // The caption as the dialog has always shown it.
    gbxFontSample->SetCaption(" 10pt Times New Romam ");
    pnlFontSample = Place<TdxPSPaintPanel>(gbxFontSample, this, 6, 16, 136, 42);
    for (TdxPSPaintPanel* panel : {pnlMonitor, pnlFontSample}) {
        panel->SetEdgeInner(esNone);
        panel->SetEdgeOuter(esNone);
    }
    pnlMonitor->OnPaint = [this](TObject*) { DrawMonitor(*pnlMonitor->Canvas(), pnlMonitor->ClientRect()); };
    pnlFontSample->OnPaint = [this](TObject*) {
        DrawFontSample(*pnlFontSample->Canvas(), pnlFontSample->ClientRect());
    };
}

void TfmZoom::Load(const TCustomdxPreview& Preview)
{
    TValueRestorer<bool> loading(m_loading, true);
    TdxPreview& w = *m_working;
    w.SetMeasurementUnits(Preview.MeasurementUnits());
    w.SetOrientation(Preview.Orientation());
    // The caller's floor too, so that a small page stays as small.
    w.SetMinUsefulSize(Preview.MinUsefulSize());
    w.SetOriginalPageSize(Preview.OriginalPageSize());
    w.SetPageCount(Preview.PageCount());
    w.SetBounds(0, 0, Preview.Width(), Preview.Height());
    dxSetPreviewZoom(w, {pzmPages, 0, Preview.PageXCount(), Preview.PageYCount()});
    dxSetPreviewZoom(w, dxPreviewZoomOf(Preview));

    sePercent->SetMinValue(w.MinZoomFactor());
    sePercent->SetMaxValue(w.MaxZoomFactor());
    rbtnZoom[zcTwoPages]->SetEnabled(w.PageCount() >= 2);
    rbtnZoom[zcFourPages]->SetEnabled(w.PageCount() >= 4);
    m_modified = false;

    ArrangeButtons(dxZoomDlgHelpContext);
    // Over the caller's window, where the user looks.
    if (TForm* owner = GetParentForm(const_cast<TCustomdxPreview*>(&Preview))) {
        const TRect r = owner->BoundsRect();
        SetPosition(poDesigned);
        SetBounds(r.Left + (r.Width() - Width()) / 2, r.Top + (r.Height() - Height()) / 2, Width(), Height());
    }
    ShowPercent();
    const int choice = ChoiceOfZoom();
    CheckChoice(choice);
    if (choice >= 0)
        SetActiveControl(rbtnZoom[std::size_t(choice)]);
}

int TfmZoom::ChoiceOfZoom() const
{
    const TdxPreview& w = *m_working;
    int choice = -1;
    if (w.ZoomMode() == pzmNone) {
        const auto it = std::find(ZoomPercents.begin(), ZoomPercents.end(), w.ZoomFactor());
        if (it != ZoomPercents.end())
            choice = static_cast<int>(it - ZoomPercents.begin());
    } else if (w.ZoomMode() == pzmPageWidth) {
        choice = zcPageWidth;
    } else {
        choice = zcManyPages;
        for (int c : {zcWholePage, zcTwoPages, zcFourPages})
            if (ChoiceGrid(c) == TPoint{w.PageXCount(), w.PageYCount()})
                choice = c;
    }
    return choice;
}

void TfmZoom::CheckChoice(int Choice)
{
    TValueRestorer<bool> loading(m_loading, true);
    for (int i = 0; i < ZoomChoiceCount; ++i)
        rbtnZoom[std::size_t(i)]->SetChecked(i == Choice);
}

void TfmZoom::ShowPercent()
{
    TValueRestorer<bool> loading(m_loading, true);
    sePercent->SetValue(m_working->ZoomFactor());
}

void TfmZoom::ZoomChanged()
{
    Changed();
    pnlMonitor->Invalidate();
    pnlFontSample->Invalidate();
}

void TfmZoom::ChoiceClick(int Choice)
{
    if (m_loading || !rbtnZoom[std::size_t(Choice)]->Checked())
        return;
    TdxPreview& w = *m_working;
    if (Choice <= zc10) {
        dxSetPreviewZoom(w, {pzmNone, ZoomPercents[std::size_t(Choice)], 1, 1});
    } else if (Choice == zcPageWidth) {
        dxSetPreviewZoom(w, {pzmPageWidth, 0, 1, 1});
    } else if (Choice != zcManyPages) {
        const TPoint grid = ChoiceGrid(Choice);
        dxSetPreviewZoom(w, {pzmPages, 0, grid.X, grid.Y});
    }
    ShowPercent();
    ZoomChanged();
}

void TfmZoom::PercentChanged()
{
    if (m_loading)
        return;
    // The text stays as typed; only the buttons follow it.
    dxSetPreviewZoom(*m_working, {pzmNone, sePercent->AsInteger(), 1, 1});
    CheckChoice(ChoiceOfZoom());
    ZoomChanged();
}

TPoint TfmZoom::FittingPages(int ColumnZoom, int RowZoom) const
{
    const TPoint px = m_working->PageSizePixels();
    const auto fit = [](int Room, int Page, int Zoom) {
        const int page = MulDiv(Page, Zoom, 100);
        return page > 0 ? std::max(Room / page, 1) : 1;
    };
    return {fit(m_working->Width(), px.X, ColumnZoom), fit(m_working->Height(), px.Y, RowZoom)};
}

void TfmZoom::ChooseManyPages()
{
    const int minZoom = m_working->MinZoomFactor();
    const TPoint start = FittingPages(minZoom, 2 * minZoom);
    const TPoint most = FittingPages(minZoom, minZoom);
    int columns = std::min(start.X, 3), rows = std::min(start.Y, 2);
    const TPoint at = btnManyPages->ClientToScreen({0, btnManyPages->Height()});
    if (!dxChooseMultiplePages(nullptr, 0, at, rows, columns, std::max(most.Y, rows), std::max(most.X, columns),
                               btnManyPages->Height()))
        return;
    dxSetPreviewZoom(*m_working, {pzmPages, 0, columns, rows});
    TRadioButton* many = rbtnZoom[zcManyPages];
    ShowPercent();
    if (many->Checked())
        ZoomChanged();
    else
        many->SetChecked(true);
}

std::vector<TRect> TfmZoom::MonitorPages(const TRect& Screen) const
{
    std::vector<TRect> pages;
    const TRect client = m_working->ClientRect();
    const int cw = client.Width(), ch = client.Height();
    const int sw = Screen.Width(), sh = Screen.Height();
    if (cw <= 0 || ch <= 0 || sw <= 0 || sh <= 0)
        return pages;
    // One scale for both axes: the whole client area fits the screen.
    const bool byWidth = std::int64_t{sw} * ch <= std::int64_t{sh} * cw;
    const int num = byWidth ? sw : sh, den = byWidth ? cw : ch;
    const int left = Screen.Left + (sw - MulDiv(cw, num, den)) / 2;
    const int top = Screen.Top + (sh - MulDiv(ch, num, den)) / 2;
    const int first = m_working->FirstVisiblePageIndex(), last = m_working->LastVisiblePageIndex();
    for (int i = first; i >= 0 && i <= last; ++i) {
        const TRect r = m_working->PageBounds(i);
        pages.push_back(Rect(left + MulDiv(r.Left, num, den), top + MulDiv(r.Top, num, den),
                             left + MulDiv(r.Right, num, den), top + MulDiv(r.Bottom, num, den)));
    }
    return pages;
}

void TfmZoom::DrawMonitor(TCanvas& Canvas, const TRect& R) const
{
    Canvas.Brush()->SetColor(clBtnFace);
    Canvas.FillRect(R);
    // Case, screen and power light above a stand and its base.
    const int baseHeight = std::max(R.Height() / 10, 4);
    const int standHeight = baseHeight;
    TRect base = Rect(R.Left + R.Width() / 4, R.Bottom - baseHeight, R.Right - R.Width() / 4, R.Bottom);
    TRect stand = Rect(R.Left + R.Width() * 2 / 5, base.Top - standHeight, R.Right - R.Width() * 2 / 5, base.Top);
    TRect monitor = Rect(R.Left, R.Top, R.Right, stand.Top);
    Canvas.DrawEdge(monitor, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    Canvas.DrawEdge(stand, EDGE_RAISED, BF_LEFT | BF_RIGHT | BF_MIDDLE);
    Canvas.DrawEdge(base, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    TRect screen = Rect(monitor.Left + 8, monitor.Top + 8, monitor.Right - 8, monitor.Bottom - 12);
    Canvas.DrawEdge(screen, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    Canvas.Brush()->SetColor(clBtnShadow);
    Canvas.FillRect(screen);
    Canvas.Brush()->SetColor(clLime);
    Canvas.FillRect(Rect(monitor.Right - 14, monitor.Bottom - 8, monitor.Right - 10, monitor.Bottom - 5));

    const int saved = Canvas.SaveDC();
    Canvas.IntersectClipRect(screen);
    Canvas.Pen()->SetColor(clBlack);
    Canvas.Brush()->SetColor(clWhite);
    for (const TRect& page : MonitorPages(screen))
        Canvas.Rectangle(page);
    Canvas.RestoreDC(saved);
}

void TfmZoom::DrawFontSample(TCanvas& Canvas, const TRect& R) const
{
    TRect frame = R;
    Canvas.DrawEdge(frame, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    Canvas.Brush()->SetColor(clWindow);
    Canvas.FillRect(frame);
    const int saved = Canvas.SaveDC();
    Canvas.IntersectClipRect(frame);
    Canvas.Font()->SetName("Times New Roman");
    Canvas.Font()->SetSize(std::max(m_working->ZoomFactor() * 10 / 100, 1));
    Canvas.Font()->SetColor(clWindowText);
    Canvas.SetBkMode(TRANSPARENT);
    const TSize size = Canvas.TextExtent(kSampleText);
    const int top = (frame.Top + frame.Bottom) / 2 - size.cy * kSampleLines / 2;
    for (int line = 0; line < kSampleLines; ++line)
        Canvas.TextOut((frame.Left + frame.Right - size.cx) / 2, top + line * size.cy, kSampleText);
    Canvas.RestoreDC(saved);
}

bool dxShowZoomDlg(const TCustomdxPreview& Preview, TdxPreviewZoomSettings& Settings)
{
    const std::unique_ptr<TfmZoom> dialog(CreateForm<TfmZoom>(nullptr));
    dialog->Load(Preview);
    if (!dialog->Execute())
        return false;
    Settings = dialog->ZoomSettings();
    return true;
}

bool dxShowZoomDlg(TCustomdxPreview* Preview)
{
    TdxPreviewZoomSettings settings;
    if (!Preview || !dxShowZoomDlg(*Preview, settings))
        return false;
    dxSetPreviewZoom(*Preview, settings);
    return true;
}

} // namespace qel
