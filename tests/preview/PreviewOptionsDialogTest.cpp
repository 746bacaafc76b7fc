// The preview options dialog and its five-word record: how the record packs
// the settings, what the dialog shows and gives back, units the record
// cannot name, and writing the record back into a preview and its page.
#include "preview/PreviewOptionsDialog.h"

#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/StdCtrls.h"
#include "preview/Preview.h"
#include "printing/PrintControls.h"
#include "printing/PrinterPage.h"

#include "PreviewTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace qel {
namespace {

TEST(PreviewOptionsRecord, PacksEachSettingIntoItsWordAndByte)
{
    TdxPreviewOptionsDlgData data;
    data.SetMarginColor(clRed);
    data.SetMeasurementUnits(2);
    data.SetShowMarginHints(true);
    data.SetShowMargins(true);
    data.SetZoomOnMouseRoll(true);
    data.SetZoomStep(15);
    EXPECT_EQ(data.Words, (std::array<std::uint32_t, 5>{0, 0x0000FF, 0x01010002, 1, 15}));
    data.SetShowMarginHintsWhileDragging(true);
    data.SetMeasurementUnits(0);
    data.SetShowMargins(false);
    EXPECT_EQ(data.Words[2], 0x00010100u) << "a byte changes alone";

    test::PreviewHarness h;
    TdxPreview& p = *h.preview;
    p.SetMarginColor(clBlue);
    p.SetMeasurementUnits(pmuInches);
    p.SetOptionsHint({pohShowOnDrag, pohShowOnScroll});
    p.SetOptionsView({povPageSelection});
    p.SetOptionsZoom({pozZoomOnMouseRoll});
    p.SetZoomStep(7);
    EXPECT_EQ(dxPreviewOptionsOf(p).Words, (std::array<std::uint32_t, 5>{0, 0xFF0000, 0x00000101, 1, 7}));
}

struct PreviewOptions : ::testing::Test {
    test::PreviewHarness h;
    TdxPrinterPage page;
    TdxPreviewOptionsDlgData data;
    PreviewOptions()
    {
        h.preview->SetMeasurementUnits(pmuMillimeters);
        h.preview->SetZoomStep(10);
        data = dxPreviewOptionsOf(*h.preview);
    }
    bool Run(const std::function<void(TdxfmOptions&)>& Script)
    {
        TModalFormHookScope hook([&](TForm& F) { Script(dynamic_cast<TdxfmOptions&>(F)); });
        return dxShowPreviewOptionsDlg(&data);
    }
};

TEST_F(PreviewOptions, ShowsTheRecordAndOKWithoutAChangeAnswersFalse)
{
    EXPECT_FALSE(dxShowPreviewOptionsDlg(nullptr));
    const TdxPreviewOptionsDlgData before = data;
    EXPECT_FALSE(Run([](TdxfmOptions& F) {
        EXPECT_EQ(F.Caption(), "Options");
        EXPECT_EQ(F.cbxMeasurementUnits->Text(), "Millimeters");
        EXPECT_TRUE(F.chbxShowMargins->Checked());
        EXPECT_TRUE(F.chbxShowMarginsHints->Checked());
        EXPECT_EQ(F.ccbxMarginColor->ColorValue(), clWindowText);
        EXPECT_EQ(F.seZoomStep->Text(), "10 %");
        EXPECT_TRUE(F.chbxZoomOnRoll->Enabled()) << "headless, a wheel is assumed";
        EXPECT_FALSE(F.ccbxMarginColor->ShowCustomColor());
        // Only OK and Cancel, at the right edge.
        EXPECT_FALSE(F.btnHelp->Visible());
        EXPECT_EQ(F.btnCancel->Left() + F.btnCancel->Width(), F.ClientWidth() - 8);
        F.btnOK->Click();
    }));
    EXPECT_EQ(data.Words, before.Words);
}

TEST_F(PreviewOptions, ChangesComeBackAndLabelsOpenTheirEditors)
{
    EXPECT_TRUE(Run([](TdxfmOptions& F) {
        SimulateClick(F.lblMeasurementUnits, 2, 2);
        EXPECT_TRUE(F.cbxMeasurementUnits->Focused());
        EXPECT_TRUE(F.cbxMeasurementUnits->DroppedDown());
        F.cbxMeasurementUnits->SetDroppedDown(false);
        SimulateKey(F.cbxMeasurementUnits, VK_UP);   // Inches
        SimulateClick(F.lblZoomStep, 2, 2);
        EXPECT_TRUE(F.seZoomStep->Focused());
        SimulateKey(VK_UP);
        SimulateKey(F.chbxShowMarginsHintsWhileDragging, VK_SPACE);
        SimulateKey(F.chbxShowMargins, VK_SPACE);
        F.btnOK->Click();
    }));
    EXPECT_EQ(data.MeasurementUnits(), 1);
    EXPECT_EQ(data.ZoomStep(), 11);
    EXPECT_FALSE(data.ShowMarginHintsWhileDragging());
    EXPECT_FALSE(data.ShowMargins());

    h.preview->Margins()->Gutter()->SetVisible(true);
    dxApplyPreviewOptions(data, *h.preview, &page);
    EXPECT_EQ(h.preview->MeasurementUnits(), pmuInches);
    EXPECT_EQ(page.MeasurementUnits(), muInches);
    EXPECT_EQ(h.preview->ZoomStep(), 11);
    EXPECT_FALSE(h.preview->OptionsHint().Contains(pohShowOnDrag));
    EXPECT_TRUE(h.preview->OptionsHint().Contains(pohShowOnScroll)) << "not in the record, kept";
    EXPECT_FALSE(h.preview->OptionsView().Contains(povMargins));
    EXPECT_FALSE(h.preview->Margins()->Gutter()->Visible());
}

TEST_F(PreviewOptions, UnitsTheRecordCannotNameShowAsDefaultAndAreNotWritten)
{
    h.preview->SetMeasurementUnits(pmuCentimeters);
    page.SetMeasurementUnits(muMillimeters);
    data = dxPreviewOptionsOf(*h.preview);
    EXPECT_TRUE(Run([](TdxfmOptions& F) {
        EXPECT_EQ(F.cbxMeasurementUnits->Text(), "Default");
        SimulateKey(F.chbxShowMarginsHints, VK_SPACE);
        F.btnOK->Click();
    }));
    EXPECT_EQ(data.MeasurementUnits(), pmuCentimeters);
    dxApplyPreviewOptions(data, *h.preview, &page);
    EXPECT_EQ(h.preview->MeasurementUnits(), pmuCentimeters);
    EXPECT_EQ(page.MeasurementUnits(), muMillimeters);
    EXPECT_FALSE(h.preview->OptionsHint().Contains(pohShowForMargins));

    // Chosen from the list, they are written.
    EXPECT_TRUE(Run([](TdxfmOptions& F) {
        SimulateKey(F.cbxMeasurementUnits, VK_DOWN);
        F.btnOK->Click();
    }));
    dxApplyPreviewOptions(data, *h.preview, &page);
    EXPECT_EQ(h.preview->MeasurementUnits(), pmuInches);
    EXPECT_EQ(page.MeasurementUnits(), muInches);
}

TEST_F(PreviewOptions, WithAHelpContextHelpShowsAtTheRightEdge)
{
    dxPreviewOptionsHelpContext = 5;
    Run([](TdxfmOptions& F) {
        EXPECT_TRUE(F.btnHelp->Visible());
        EXPECT_EQ(F.btnHelp->Left() + F.btnHelp->Width(), F.ClientWidth() - 8);
        EXPECT_LT(F.btnCancel->Left(), F.btnHelp->Left());
    });
    dxPreviewOptionsHelpContext = 0;
}

} // namespace
} // namespace qel
