// The standard preview window on a real X server, used with the mouse and
// the keyboard: tool buttons, the zoom box and a margin dragged; the options
// and zoom dialogs opened from its menu.
#include "XTestSupport.h"

#include "demo/DemoConfig.h"
#include "demo/DemoData.h"
#include "demo/DemoGrid.h"
#include "demo/DemoPreview.h"
#include "platform/controls/Application.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Guards.h"
#include "platform/data/MemoryDataSet.h"
#include "preview/PreviewDialogs.h"
#include "preview/PreviewOptionsDialog.h"
#include "preview/StdPreview.h"
#include "preview/ZoomDialog.h"
#include "preview/ZoomFactorComboEdit.h"
#include "printing/ComponentPrinter.h"
#include "printing/DBGridReportLink.h"
#include "printing/PrintControls.h"
#include "printing/ReportLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace qel::test {
namespace {

// The standard preview window on the main program's report, active and
// with every page cut.
class PreviewWindowOnX : public ::testing::Test {
protected:
    void SetUp() override
    {
        dxInstallPreviewDialogs();
        dxRegisterDBGridReportLink();
        grid = demo::MakeAccessMatrixWindow(*matrix, pictures.File("plain.png"), pictures.File("grouped.png"),
                                            pictures.File("filtered.png"));
        report = demo::MakeAccessMatrixPreview(config->Title(), *grid);
        window = report->Preview();
        ASSERT_NE(window, nullptr);
        window->SetBounds(50, 50, 900, 700);
        ASSERT_TRUE(WaitUntilActive(*window));
        ASSERT_TRUE(WaitUntil([&] { return window->PaginationComplete(); }));
        Settle();
    }
    void TearDown() override
    {
        if (window && report->Printer->PreviewWindow() == window)
            window->Close();
        Settle();
        report.reset();
        grid.reset();
        dxUnregisterDBGridReportLink();
    }

    TempDir pictures;
    std::unique_ptr<demo::TConfiguration> config{demo::MakeSampleConfiguration(32, 128)};
    std::unique_ptr<TMemoryDataSet> matrix{demo::MakeAccessMatrix(*config, nullptr)};
    std::unique_ptr<TForm> grid;
    std::unique_ptr<demo::TAccessMatrixPreview> report;
    TdxfmStdPreview* window = nullptr;
};

TEST_F(PreviewWindowOnX, ToolButtonsZoomBoxAndAMarginDraggedWithTheRealMouse)
{
    TdxPreview& preview = *window->Preview();

    ClickAt(window->tbPageWidth, window->tbPageWidth->Width() / 2, window->tbPageWidth->Height() / 2);
    EXPECT_EQ(preview.ZoomMode(), pzmPageWidth);
    ClickAt(window->tbPercent100, window->tbPercent100->Width() / 2, window->tbPercent100->Height() / 2);
    EXPECT_EQ(preview.ZoomFactor(), 100);

    // Typed into the zoom box and taken with Enter.
    TEdit* edit = window->ZoomBox()->Edit();
    ClickAt(edit, 5, edit->Height() / 2);
    // End and Home are the Go menu's shortcuts: the text is selected with Ctrl+A.
    XInput().Key('a', {XK_Control_L});
    XInput().Type("150");
    XInput().Key(XK_Return);
    Settle();
    EXPECT_EQ(preview.ZoomFactor(), 150);
    EXPECT_EQ(window->ZoomBox()->Text(), "150%");

    // The left margin dragged 20 pixels to the right.
    ClickAt(window->tbPageWidth, window->tbPageWidth->Width() / 2, window->tbPageWidth->Height() / 2);
    TdxPreviewMargin& left = *preview.Margins()->Left();
    const int before = left.Value();
    const TRect line = left.LineRect();
    const int y = (std::max(line.Top, 0) + std::min(line.Bottom, preview.ClientRect().Bottom)) / 2;
    ASSERT_FALSE(IsRectEmpty(line));
    const TPoint from = OnScreen(&preview, line.Left, y);
    ASSERT_GT(from.X, 0) << from.Y;
    XInput().MoveTo(from.X, from.Y);
    Settle();
    XInput().Press();
    Settle();
    XInput().MoveTo(from.X + 10, from.Y);
    Settle();
    XInput().MoveTo(from.X + 20, from.Y);
    Settle();
    XInput().Release();
    Settle();
    EXPECT_GT(left.Value(), before);
    EXPECT_EQ(report->Link->PrinterPage()->Margins()->Left(), left.Value() * 100) << "written back in millimetres";
    EXPECT_EQ(window->MarginBar()->Panels()->Items(dxMarginBarPanel(pmLeft))->Text(),
              PreviewUnitText(left.Value(), pmuMillimeters));
}

TEST_F(PreviewWindowOnX, OptionsAndZoomOpenFromTheMenuAndOKReachesTheWindow)
{
    TdxPreview& preview = *window->Preview();
    const int step = preview.ZoomStep();

    // "&File" → "&Options...": the zoom step raised with the spin edit's up arrow key.
    std::string title;
    {
        TModalFormHookScope hook([&](TForm& F) {
            auto& d = dynamic_cast<TdxfmOptions&>(F);
            if (!WaitUntilActive(d)) {
                d.btnCancel->Click();
                return;
            }
            title = XTitleOf(d);
            ClickAt(d.chbxShowMargins, 6, d.chbxShowMargins->Height() / 2);
            ClickAt(d.seZoomStep, 10, d.seZoomStep->ClientHeight() / 2);
            XInput().Key(XK_Up);
            Settle();
            ClickAt(d.btnOK, 20, d.btnOK->ClientHeight() / 2);
        });
        XInput().Key('f', {XK_Alt_L});
        Settle();
        XInput().Key('o');
        EXPECT_TRUE(WaitUntil([&] { return preview.ZoomStep() == step + 1; }));
        Settle();
    }
    EXPECT_EQ(title, "Options");
    EXPECT_EQ(preview.ZoomStep(), step + 1);
    EXPECT_FALSE(window->ShowPageMargins());
    EXPECT_FALSE(preview.OptionsView().Contains(povMargins));

    // "&View" → "&Zoom" → "&Setup...": "&Two Pages" clicked.
    title.clear();
    {
        TModalFormHookScope hook([&](TForm& F) {
            auto& d = dynamic_cast<TfmZoom&>(F);
            if (!WaitUntilActive(d)) {
                d.btnCancel->Click();
                return;
            }
            title = XTitleOf(d);
            ClickAt(d.rbtnZoom[TfmZoom::zcTwoPages], 8, 8);
            ClickAt(d.btnOK, 20, d.btnOK->ClientHeight() / 2);
        });
        XInput().Key('v', {XK_Alt_L});
        Settle();
        XInput().Key('z');
        Settle();
        XInput().Key('s');
        EXPECT_TRUE(WaitUntil([&] { return preview.ZoomMode() == pzmPages; }));
        Settle();
    }
    EXPECT_EQ(title, "Zoom");
    EXPECT_EQ(preview.ZoomMode(), pzmPages);
    EXPECT_EQ(preview.PageXCount() * 10 + preview.PageYCount(), 21);
}

} // namespace
} // namespace qel::test
