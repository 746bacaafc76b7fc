// The zoom dialog scripted as a user works it: what it shows for each zoom,
// the choices and the percent, the many-pages chooser, what OK and Cancel
// leave on the caller's preview, and pages or previews without size.
#include "preview/ZoomDialog.h"

#include "platform/controls/Automation.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "preview/PageChooser.h"
#include "printing/PrintControls.h"

#include "PreviewTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace qel {
namespace {

struct ZoomDialog : ::testing::Test {
    test::PreviewHarness h{400, 500};
    TdxPreview& preview = *h.preview;
    // Drives the page chooser when the dialog opens it.
    std::function<void(TfmPageChooser&)> chooser;
    ZoomDialog() { preview.SetPageCount(8); }

    bool Run(const std::function<void(TfmZoom&)>& Script)
    {
        TModalFormHookScope hook([&](TForm& F) {
            if (auto* c = dynamic_cast<TfmPageChooser*>(&F)) {
                if (chooser)
                    chooser(*c);
            } else {
                Script(dynamic_cast<TfmZoom&>(F));
            }
        });
        return dxShowZoomDlg(&preview);
    }
    static int Checked(TfmZoom& D)
    {
        int checked = -1;
        for (int i = 0; i < TfmZoom::ZoomChoiceCount; ++i)
            if (D.rbtnZoom[std::size_t(i)]->Checked())
                checked = checked == -1 ? i : -2;
        return checked;
    }
};

TEST_F(ZoomDialog, AZoomWithoutItsButtonChecksNoneAndAChosenPercentComesBack)
{
    EXPECT_FALSE(dxShowZoomDlg(nullptr));
    preview.SetZoomFactor(85);
    EXPECT_TRUE(Run([](TfmZoom& D) {
        EXPECT_EQ(D.Caption(), "Zoom");
        EXPECT_EQ(Checked(D), -1);
        EXPECT_EQ(D.sePercent->Text(), "85 %");
        EXPECT_EQ(D.gbxFontSample->Caption(), " 10pt Times New Romam ");
        SimulateKey(D.rbtnZoom[TfmZoom::zc100], VK_SPACE);
        EXPECT_EQ(D.sePercent->Text(), "100 %");
        D.btnOK->Click();
    }));
    EXPECT_EQ(preview.ZoomFactor(), 100);
    EXPECT_EQ(preview.ZoomMode(), pzmNone);
}

TEST_F(ZoomDialog, OpensOnTheChoiceOfTheZoomInForce)
{
    const auto checkedFor = [&](const std::function<void()>& Zoom) {
        Zoom();
        int checked = -3;
        bool focused = false;
        Run([&](TfmZoom& D) {
            checked = Checked(D);
            focused = checked >= 0 && D.ActiveControl() == D.rbtnZoom[std::size_t(checked)];
        });
        EXPECT_TRUE(focused) << checked;
        return checked;
    };
    EXPECT_EQ(checkedFor([&] { preview.SetZoomFactor(150); }), TfmZoom::zc150);
    EXPECT_EQ(checkedFor([&] { preview.SetZoomMode(pzmPageWidth); }), TfmZoom::zcPageWidth);
    EXPECT_EQ(checkedFor([&] { preview.SetPageXYCount(1, 1); }), TfmZoom::zcWholePage);
    EXPECT_EQ(checkedFor([&] { preview.SetPageXYCount(2, 1); }), TfmZoom::zcTwoPages);
    EXPECT_EQ(checkedFor([&] { preview.SetPageXYCount(2, 2); }), TfmZoom::zcFourPages);
    EXPECT_EQ(checkedFor([&] { preview.SetPageXYCount(3, 2); }), TfmZoom::zcManyPages);
}

TEST_F(ZoomDialog, TheResultIsAppliedByItsMode)
{
    // Page width stays fitted: not the factor it had in the dialog.
    EXPECT_TRUE(Run([](TfmZoom& D) {
        D.rbtnZoom[TfmZoom::zcPageWidth]->SetChecked(true);
        D.btnOK->Click();
    }));
    EXPECT_EQ(preview.ZoomMode(), pzmPageWidth);

    // A percentage over a page grid is a fixed zoom, not the grid.
    preview.SetPageXYCount(2, 2);
    EXPECT_TRUE(Run([](TfmZoom& D) {
        D.rbtnZoom[TfmZoom::zc50]->SetChecked(true);
        D.btnOK->Click();
    }));
    EXPECT_EQ(preview.ZoomMode(), pzmNone);
    EXPECT_EQ(preview.ZoomFactor(), 50);

    EXPECT_TRUE(Run([](TfmZoom& D) {
        D.rbtnZoom[TfmZoom::zcFourPages]->SetChecked(true);
        EXPECT_EQ(D.sePercent->AsInteger(), D.WorkingPreview()->ZoomFactor()) << "the fitted factor shows";
        D.btnOK->Click();
    }));
    EXPECT_EQ(preview.ZoomMode(), pzmPages);
    EXPECT_EQ(preview.PageXCount(), 2);
    EXPECT_EQ(preview.PageYCount(), 2);
}

TEST_F(ZoomDialog, ATypedPercentChecksItsButtonAndCountsAsAChange)
{
    std::vector<int> checked;
    EXPECT_TRUE(Run([&](TfmZoom& D) {
        SimulateClick(D.lblPercent, 2, 2);
        EXPECT_TRUE(D.sePercent->Focused());
        D.sePercent->SelectAll();
        SimulateText("75");
        checked.push_back(Checked(D));
        D.sePercent->SelectAll();
        SimulateText("85");
        checked.push_back(Checked(D));
        SimulateKey(VK_RETURN);
    }));
    EXPECT_EQ(checked, (std::vector<int>{TfmZoom::zc75, -1}));
    EXPECT_EQ(preview.ZoomFactor(), 85);
}

TEST_F(ZoomDialog, CancelLeavesThePreviewAsItWas)
{
    preview.SetPageXYCount(2, 1);
    const int factor = preview.ZoomFactor();
    EXPECT_FALSE(Run([](TfmZoom& D) {
        D.rbtnZoom[TfmZoom::zc200]->SetChecked(true);
        D.rbtnZoom[TfmZoom::zcPageWidth]->SetChecked(true);
        EXPECT_TRUE(D.Modified());
        D.btnCancel->Click();
    }));
    EXPECT_EQ(preview.ZoomMode(), pzmPages);
    EXPECT_EQ(preview.PageXCount(), 2);
    EXPECT_EQ(preview.ZoomFactor(), factor);
    EXPECT_FALSE(Run([](TfmZoom& D) { D.btnOK->Click(); })) << "OK without a change";
}

TEST_F(ZoomDialog, FewPagesDisableTheChoicesThatNeedMore)
{
    for (auto [pages, two, four] : {std::tuple{1, false, false}, {3, true, false}, {4, true, true}}) {
        preview.SetPageCount(pages);
        Run([&, two = two, four = four](TfmZoom& D) {
            EXPECT_EQ(D.rbtnZoom[TfmZoom::zcTwoPages]->Enabled(), two) << pages;
            EXPECT_EQ(D.rbtnZoom[TfmZoom::zcFourPages]->Enabled(), four) << pages;
        });
    }
}

TEST_F(ZoomDialog, ManyPagesStartsFromTheGridThatFitsAndTakesTheChoice)
{
    int gridColumns = 0, gridRows = 0;
    chooser = [&](TfmPageChooser& C) {
        gridColumns = C.GridColumns();
        gridRows = C.GridRows();
        SimulateKey(VK_RIGHT);
        SimulateKey(VK_RIGHT);
        SimulateKey(VK_RIGHT);
        SimulateKey(VK_DOWN);
        SimulateKey(VK_RETURN);
    };
    EXPECT_TRUE(Run([](TfmZoom& D) {
        D.btnManyPages->Click();
        EXPECT_TRUE(D.rbtnZoom[TfmZoom::zcManyPages]->Checked());
        D.btnOK->Click();
    }));
    // A4 at 96 dpi: 79 pixels wide at 10 %, 224 high at 20 %, in 400 x 500.
    EXPECT_EQ(gridColumns, 3);
    EXPECT_EQ(gridRows, 2);
    EXPECT_EQ(preview.ZoomMode(), pzmPages);
    EXPECT_EQ(preview.PageXCount(), 3);
    EXPECT_EQ(preview.PageYCount(), 2);
}

TEST_F(ZoomDialog, TheMonitorShowsTheVisiblePagesScaledIntoItsScreen)
{
    preview.SetPageXYCount(2, 2);
    std::vector<TRect> pages;
    int visible = 0;
    const TRect screen = Rect(10, 10, 110, 90);
    Run([&](TfmZoom& D) {
        pages = D.MonitorPages(screen);
        visible = D.WorkingPreview()->LastVisiblePageIndex() - D.WorkingPreview()->FirstVisiblePageIndex() + 1;
    });
    EXPECT_GE(visible, 4);
    ASSERT_EQ(int(pages.size()), visible);
    for (const TRect& r : pages) {
        // 400 x 500 into 100 x 80 keeps its shape: 64 x 80, centred.
        EXPECT_GE(r.Left, 28);
        EXPECT_LE(r.Right, 92);
        EXPECT_GE(r.Top, 10);
    }
    EXPECT_EQ(pages[1].Top, pages[0].Top) << "two across";
    EXPECT_GT(pages[2].Top, pages[0].Bottom);
}

TEST_F(ZoomDialog, PagesAndPreviewsWithoutSizeGiveOneColumnAndRowAndNoPictures)
{
    preview.SetMinUsefulSize({0, 0});
    preview.SetOriginalPageSize({0, 0});
    Run([](TfmZoom& D) {
        EXPECT_EQ(D.FittingPages(10, 20), Point(1, 1));
        std::unique_ptr<TBitmap> picture = GrabControl(D.pnlMonitor);
        EXPECT_NE(picture, nullptr);
    });

    preview.SetOriginalPageSize({2100, 2970});
    preview.SetBounds(0, 0, 0, 0);
    bool drew = true;
    Run([&](TfmZoom& D) {
        EXPECT_EQ(D.FittingPages(10, 20), Point(1, 1));
        drew = !D.MonitorPages(Rect(0, 0, 100, 80)).empty();
        D.btnManyPages->Click();
    });
    EXPECT_FALSE(drew);
}

} // namespace
} // namespace qel
