// Which commands of the standard preview window are enabled and shown, read
// back from the buttons and menu items, by option sets, page counts and the
// printing and building states.
#include "PreviewWindowTestSupport.h"

#include <ostream>

namespace qel::test {
namespace {

// The commands read back: enabled (E) and visible (V) of a button and its items.
struct CommandStates {
    bool DesignE, DesignV, PrintE, PrintV, PageSetupE, PageSetupV, BackgroundE, PreferencesE, HelpV;
    bool operator==(const CommandStates&) const = default;
};

std::ostream& operator<<(std::ostream& Out, const CommandStates& S)
{
    return Out << "design " << S.DesignE << S.DesignV << " print " << S.PrintE << S.PrintV << " setup "
               << S.PageSetupE << S.PageSetupV << " background " << S.BackgroundE << " preferences "
               << S.PreferencesE << " help " << S.HelpV;
}

class PreviewWindowStates : public PreviewWindowFixture {
protected:
    void SetUp() override
    {
        PreviewWindowFixture::SetUp();
        // The link has a design window, so design can be enabled.
        dxPSRegisterReportLink("TMatrixTestLink", "TMatrixSource", "TAbstractdxReportLinkDesignWindow");
    }
    void TearDown() override
    {
        PreviewWindowFixture::TearDown();
        dxPSUnregisterReportLink("TMatrixTestLink", "TMatrixSource", "TAbstractdxReportLinkDesignWindow");
    }

    CommandStates Read() const
    {
        CommandStates s{};
        TdxfmStdPreview& w = *window;
        s.DesignE = w.tbReportDesigner->Enabled() && Item({"&File", "&Design..."})->Enabled();
        s.DesignV = w.tbReportDesigner->Visible() && Item({"&File", "&Design..."})->Visible();
        s.PrintE = w.tbPrint->Enabled() && w.tbPrintDialog->Enabled() && Item({"&File", "&Print..."})->Enabled();
        s.PrintV = w.tbPrint->Visible() && w.tbPrintDialog->Visible() && Item({"&File", "&Print..."})->Visible();
        s.PageSetupE = w.tbPageSetup->Enabled() && Item({"&File", "Page Set&up..."})->Enabled();
        s.PageSetupV = w.tbPageSetup->Visible() && Item({"&File", "Page Set&up..."})->Visible();
        s.BackgroundE = w.tbPageBackground->Enabled() && Item({"F&ormat", "Bac&kground..."})->Enabled();
        s.PreferencesE = Item({"&File", "&Options..."})->Enabled();
        s.HelpV = w.tbHelp->Visible();
        return s;
    }
};

TEST_F(PreviewWindowStates, OptionSetsDecideWhatIsEnabledAndShown)
{
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Read(), (CommandStates{true, true, true, true, true, true, true, true, false}));

    printer->PreviewOptions()->SetVisibleOptions({pvoPageBackground, pvoPageSetup, pvoPreferences, pvoReportDesign});
    const CommandStates noPrint = Read();
    EXPECT_FALSE(noPrint.PrintV) << "with pvoPrint removed the print buttons and items are hidden";
    EXPECT_FALSE(noPrint.PrintE) << "what is hidden cannot print";

    printer->PreviewOptions()->SetVisibleOptions(TdxPreviewOptions::DefaultVisibleOptions);
    printer->PreviewOptions()->SetEnableOptions({peoHelp, peoPrint});
    EXPECT_EQ(Read(), (CommandStates{false, true, true, true, false, true, false, false, false}));

    printer->PreviewOptions()->SetVisibleOptions({pvoHelp, pvoPrint, pvoReportDesign});
    printer->PreviewOptions()->SetEnableOptions(TdxPreviewOptions::DefaultEnableOptions);
    EXPECT_EQ(Read(), (CommandStates{true, true, true, true, false, false, true, true, true}))
        << "a hidden page setup cannot run from the margin bar either";
}

TEST_F(PreviewWindowStates, ALinkWithoutDesignWindowLosesTheDesignOption)
{
    dxPSUnregisterReportLink("TMatrixTestLink", "TMatrixSource", "TAbstractdxReportLinkDesignWindow");
    ASSERT_NE(Open(), nullptr);
    EXPECT_FALSE(window->GetEnableOptions().Contains(peoReportDesign));
    EXPECT_FALSE(Read().DesignE);
    dxPSRegisterReportLink("TMatrixTestLink", "TMatrixSource", "TAbstractdxReportLinkDesignWindow");
}

struct PageCase {
    const char* Name;
    int Connectors;
    int Pages;
};

class PreviewWindowPageCounts : public PreviewWindowStates, public ::testing::WithParamInterface<PageCase> {};

// 44 connectors fill a page.
const PageCase g_pageCases[] = {{"no_pages", 0, 0}, {"one_page", 10, 1}, {"two_pages", 60, 2}, {"four_pages", 150, 4}};

TEST_P(PreviewWindowPageCounts, ZoomAndPageCommandsFollowThePages)
{
    const PageCase& c = GetParam();
    SetMatrix({c.Connectors, 8});
    ASSERT_NE(Open(), nullptr);
    ASSERT_EQ(window->Preview()->PageCount(), c.Pages);
    TdxfmStdPreview& w = *window;
    EXPECT_EQ(w.tbPercent100->Enabled(), c.Pages >= 1);
    EXPECT_EQ(w.ZoomBox()->Enabled(), c.Pages >= 1);
    EXPECT_EQ(w.tbTwoPage->Enabled(), c.Pages >= 2);
    EXPECT_EQ(Item({"&View", "&Zoom", "&Two Pages"})->Enabled(), c.Pages >= 2);
    EXPECT_EQ(w.ZoomBox()->Items()[10].Enabled, c.Pages >= 2);
    EXPECT_EQ(w.tbFourPage->Enabled(), c.Pages >= 4);
    EXPECT_EQ(Item({"&View", "&Zoom", "&Four Pages"})->Enabled(), c.Pages >= 4);
    EXPECT_EQ(w.ZoomBox()->Items()[11].Enabled, c.Pages >= 4);
    EXPECT_EQ(w.tbPrint->Enabled(), c.Pages >= 1) << "nothing to print without pages";

    // From the first page only forward; from the last only back.
    EXPECT_FALSE(w.tbGotoFirstPage->Enabled());
    EXPECT_FALSE(Item({"&Go", "&Previous Page"})->Enabled());
    EXPECT_EQ(w.tbGotoNextPage->Enabled(), c.Pages >= 2);
    EXPECT_EQ(Item({"&Go", "&Last Page"})->Enabled(), c.Pages >= 2);
    Item({"&Go", "&Last Page"})->Click();
    EXPECT_EQ(w.tbGotoPrevPage->Enabled(), c.Pages >= 2);
    EXPECT_FALSE(w.tbGotoLastPage->Enabled());
    EXPECT_EQ(w.PageNumberBox()->AsInteger(), std::max(1, c.Pages)) << "the page-number box follows the selection";
    EXPECT_EQ(w.PageNumberBox()->MaxValue(), std::max(1, c.Pages));
}

INSTANTIATE_TEST_SUITE_P(Pages, PreviewWindowPageCounts, ::testing::ValuesIn(g_pageCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(PreviewWindowStates, PrintingAndBuildingDisableWhatWouldChangeTheReport)
{
    ASSERT_NE(Open(), nullptr);
    CommandStates printing{};
    bool marginsWhilePrinting = true;
    printer->OnNewPage = [&](TObject*, TBasedxReportLink*, int) {
        printing = Read();
        marginsWhilePrinting = window->Preview()->OptionsBehavior().Contains(pobAllowDragMargins);
        EXPECT_EQ(window->StatusText().rfind("Printing report: Completed", 0), 0u);
    };
    window->tbPrint->Click();
    EXPECT_EQ(printing, (CommandStates{false, true, false, true, false, true, false, true, false}));
    EXPECT_FALSE(marginsWhilePrinting);
    EXPECT_EQ(Read(), (CommandStates{true, true, true, true, true, true, true, true, false})) << "after the print";

    CommandStates building{};
    bool marginsWhileBuilding = true;
    link->OnRowBuilt = [&](int Row) {
        if (Row != 10)
            return;
        building = Read();
        marginsWhileBuilding = window->Preview()->OptionsBehavior().Contains(pobAllowDragMargins);
        EXPECT_EQ(window->Preview()->PageCount(), 0) << "the old pages are gone";
        EXPECT_EQ(window->StatusText().rfind("Building report: Completed", 0), 0u);
    };
    link->Rebuild();
    EXPECT_FALSE(building.DesignE);
    EXPECT_FALSE(building.PrintE) << "no pages while building";
    EXPECT_FALSE(marginsWhileBuilding);
    FinishPagination();
    EXPECT_EQ(Read(), (CommandStates{true, true, true, true, true, true, true, true, false}));
}

} // namespace
} // namespace qel::test
