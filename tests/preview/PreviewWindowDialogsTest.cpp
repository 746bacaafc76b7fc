// The preview window's "Options..." and "Zoom..." commands with the dialogs
// the program installs: what each opens on, what OK, OK without a change and
// Cancel leave on the window, its preview and the printer page.
#include "PreviewWindowTestSupport.h"

#include "platform/controls/StdCtrls.h"
#include "platform/core/Locale.h"
#include "platform/graphics/Bitmap.h"
#include "preview/PreviewOptionsDialog.h"
#include "preview/ZoomDialog.h"

#include <functional>
#include <optional>

namespace qel::test {
namespace {

class PreviewWindowDialogs : public PreviewWindowShownFixture {
protected:
    void SetUp() override
    {
        PreviewWindowShownFixture::SetUp();
        if (HasFatalFailure())
            return;
        // The installed dialogs, with their answers seen.
        TdxPreviewWindowDialogRunners& runners = dxPreviewWindowDialogRunners();
        ASSERT_TRUE(runners.Options && runners.Zoom);
        runners.Options = [real = runners.Options, this](TdxPreviewOptionsDlgData& Data) {
            answer = real(Data);
            return *answer;
        };
        runners.Zoom = [real = runners.Zoom, this](const TCustomdxPreview& Preview, TdxPreviewZoomSettings& S) {
            answer = real(Preview, S);
            return *answer;
        };
    }
    TdxPrinterPage& Page() const { return *link->PrinterPage(); }

    // Runs the command with Script driving the dialog it opens.
    template <class Dialog>
    void Run(const std::function<void()>& Command, const std::function<void(Dialog&)>& Script)
    {
        int shown = 0;
        TModalFormHookScope hook([&](TForm& F) {
            auto* dialog = dynamic_cast<Dialog*>(&F);
            ASSERT_NE(dialog, nullptr) << F.ClassName();
            ++shown;
            Script(*dialog);
        });
        answer = std::nullopt;
        Command();
        EXPECT_EQ(shown, 1);
    }
    void Options(const std::function<void(TdxfmOptions&)>& Script)
    {
        Run<TdxfmOptions>([this] { Item({"&File", "&Options..."})->Click(); }, Script);
    }
    void Zoom(const std::function<void(TfmZoom&)>& Script)
    {
        Run<TfmZoom>([this] { Item({"&View", "&Zoom", "&Setup..."})->Click(); }, Script);
    }

    std::optional<bool> answer;
};

TEST_F(PreviewWindowDialogs, OptionsOpenOnTheWindowAndOKAppliesToPreviewAndPage)
{
    ASSERT_EQ(Page().MeasurementUnits(), muMillimeters);
    const TdxPreviewOptionsDlgData before = dxPreviewOptionsOf(P());
    Options([](TdxfmOptions& F) {
        EXPECT_EQ(F.cbxMeasurementUnits->Text(), "Millimeters");
        EXPECT_TRUE(F.chbxShowMargins->Checked());
        F.btnOK->Click();
    });
    EXPECT_EQ(answer, false) << "OK without a change";
    EXPECT_EQ(dxPreviewOptionsOf(P()).Words, before.Words);

    Options([](TdxfmOptions& F) {
        SimulateKey(F.cbxMeasurementUnits, VK_UP);   // Inches
        SimulateKey(F.chbxShowMargins, VK_SPACE);
        F.seZoomStep->SetValue(15);
        F.btnCancel->Click();
    });
    EXPECT_EQ(answer, false);
    EXPECT_EQ(dxPreviewOptionsOf(P()).Words, before.Words) << "Cancel after changes";
    EXPECT_EQ(Page().MeasurementUnits(), muMillimeters);
    EXPECT_TRUE(window->ShowPageMargins());

    Options([](TdxfmOptions& F) {
        SimulateKey(F.cbxMeasurementUnits, VK_UP);
        SimulateKey(F.chbxShowMargins, VK_SPACE);
        F.seZoomStep->SetValue(15);
        F.btnOK->Click();
    });
    EXPECT_EQ(answer, true);
    EXPECT_EQ(P().MeasurementUnits(), pmuInches);
    EXPECT_EQ(Page().MeasurementUnits(), muInches);
    EXPECT_EQ(P().ZoomStep(), 15);
    EXPECT_FALSE(window->ShowPageMargins()) << "the window's own setting follows the record";
    EXPECT_FALSE(P().OptionsView().Contains(povMargins));
    EXPECT_FALSE(P().Margins()->Gutter()->Visible());
    EXPECT_EQ(window->MarginBar()->Panels()->Items(dxMarginBarPanel(pmLeft))->Text(),
              PreviewUnitText(P().Margins()->Left()->Value(), pmuInches))
        << "the margin bar speaks the new unit";
}

TEST_F(PreviewWindowDialogs, UnitsTheRecordCannotCarryShowAsDefaultAndStayOffThePage)
{
    P().SetMeasurementUnits(pmuCentimeters);
    Options([](TdxfmOptions& F) {
        EXPECT_EQ(F.cbxMeasurementUnits->Text(), "Default");
        SimulateKey(F.chbxShowMarginsHints, VK_SPACE);
        F.btnOK->Click();
    });
    EXPECT_EQ(answer, true);
    EXPECT_FALSE(P().OptionsHint().Contains(pohShowForMargins));
    EXPECT_EQ(P().MeasurementUnits(), pmuCentimeters) << "kept, not turned into the default";
    EXPECT_EQ(Page().MeasurementUnits(), muMillimeters) << "the page keeps its unit";

    // Points set by a program: the page neither takes them nor a wrapped value.
    P().SetMeasurementUnits(pmuPoints);
    Options([](TdxfmOptions& F) {
        SimulateKey(F.cbxMeasurementUnits, VK_DOWN);   // "Default" → "Inches"
        F.btnOK->Click();
    });
    EXPECT_EQ(P().MeasurementUnits(), pmuInches) << "a unit chosen from the list is written";
    EXPECT_EQ(Page().MeasurementUnits(), muInches);
}

TEST_F(PreviewWindowDialogs, TheZoomDialogOpensOnTheWindowsZoomAndOKAppliesItsMode)
{
    P().SetZoomFactor(85);
    Zoom([](TfmZoom& D) {
        EXPECT_EQ(dxPreviewZoomOf(*D.WorkingPreview()), (TdxPreviewZoomSettings{pzmNone, 85, 1, 1}));
        EXPECT_TRUE(D.rbtnZoom[TfmZoom::zcFourPages]->Enabled()) << "ten pages";
        for (TRadioButton* b : D.rbtnZoom)
            EXPECT_FALSE(b->Checked()) << "85 % has no button";
        D.btnOK->Click();
    });
    EXPECT_EQ(answer, false) << "OK without a change";
    EXPECT_EQ(dxPreviewZoomOf(P()), (TdxPreviewZoomSettings{pzmNone, 85, 1, 1}));

    Zoom([](TfmZoom& D) {
        SimulateKey(D.rbtnZoom[TfmZoom::zcPageWidth], VK_SPACE);
        D.btnOK->Click();
    });
    EXPECT_EQ(answer, true);
    EXPECT_EQ(P().ZoomMode(), pzmPageWidth) << "page width stays fitted, not a fixed zoom";
    EXPECT_EQ(window->ZoomBox()->Text(), IntToStr(P().ZoomFactor()) + "%");

    Zoom([](TfmZoom& D) {
        EXPECT_TRUE(D.rbtnZoom[TfmZoom::zcPageWidth]->Checked());
        SimulateKey(D.rbtnZoom[TfmZoom::zc150], VK_SPACE);
        D.btnOK->Click();
    });
    EXPECT_EQ(dxPreviewZoomOf(P()).Mode, pzmNone);
    EXPECT_EQ(P().ZoomFactor(), 150) << "a percentage stays a percentage";

    Zoom([](TfmZoom& D) {
        SimulateKey(D.rbtnZoom[TfmZoom::zcTwoPages], VK_SPACE);
        D.btnOK->Click();
    });
    EXPECT_EQ(P().ZoomMode(), pzmPages);
    EXPECT_EQ(P().PageXCount() * 10 + P().PageYCount(), 21);

    const TdxPreviewZoomSettings before = dxPreviewZoomOf(P());
    const int factor = P().ZoomFactor();
    Zoom([](TfmZoom& D) {
        SimulateKey(D.rbtnZoom[TfmZoom::zc500], VK_SPACE);
        D.btnCancel->Click();
    });
    EXPECT_EQ(answer, false);
    EXPECT_EQ(dxPreviewZoomOf(P()), before) << "Cancel after a change";
    EXPECT_EQ(P().ZoomFactor(), factor);
}

TEST_F(PreviewWindowDialogs, TheZoomDialogOfAWindowWithoutRoomOrPagesFitsOneAndDrawsNone)
{
    // No page axis and no client area: the fitting counts cannot divide by them.
    SetMatrix({10, 8});
    link->Rebuild();
    FinishPagination();
    ASSERT_EQ(P().PageCount(), 1);
    P().SetMinUsefulSize({0, 0});
    P().SetOriginalPageSize({0, 0});
    window->Hide();
    window->SetBounds(0, 0, 0, 0);
    Zoom([](TfmZoom& D) {
        const TPoint fit = D.FittingPages(10, 20);
        EXPECT_GE(fit.X, 1);
        EXPECT_GE(fit.Y, 1);
        EXPECT_TRUE(D.MonitorPages(Rect(0, 0, 100, 80)).empty());
        EXPECT_FALSE(D.rbtnZoom[TfmZoom::zcTwoPages]->Enabled());
        TBitmap bmp(148, 112);
        D.DrawMonitor(*bmp.Canvas(), Rect(0, 0, 148, 112));
        D.btnCancel->Click();
    });
    EXPECT_EQ(answer, false);
}

// A margin set in the preview is written to the page in the page's own unit,
// whatever unit the preview shows, and only that margin.
TEST_F(PreviewWindowDialogs, AMarginSetInAnotherUnitIsWrittenInThePagesUnitAlone)
{
    Page().SetMeasurementUnits(muInches);
    Page().BeginUpdate();
    Page().Margins()->SetRect({750, 1010, 555, 1234});
    Page().EndUpdate();
    window->InitializePreview();
    P().SetMeasurementUnits(pmuCentimeters);
    P().Margins()->Left()->SetValue(254);   // tenths of a millimetre: one inch
    EXPECT_EQ(Page().Margins()->Rect(), (TRect{1000, 1010, 555, 1234}));
}

} // namespace
} // namespace qel::test
