// The report designer on a real X server, opened by the component printer
// for the access-matrix grid link and worked with the mouse.
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
#include "preview/TreeListReportDesignWindow.h"
#include "printing/ComponentPrinter.h"
#include "printing/DBGridReportLink.h"

#include <gtest/gtest.h>

#include <memory>

namespace qel::test {
namespace {

TEST(DesignWindowOnX, TabsAndBoxesClickedWithTheMouseAndKeptOnOK)
{
    dxInstallPreviewDialogs();
    dxRegisterDBGridReportLink();
    Finally unregister([] { dxUnregisterDBGridReportLink(); });
    TempDir pictures;
    std::unique_ptr<demo::TConfiguration> config(demo::MakeSampleConfiguration(8, 16));
    std::unique_ptr<TMemoryDataSet> matrix(demo::MakeAccessMatrix(*config, nullptr));
    std::unique_ptr<TForm> grid = demo::MakeAccessMatrixWindow(*matrix, pictures.File("plain.png"),
                                                               pictures.File("grouped.png"), pictures.File("filtered.png"));
    std::unique_ptr<demo::TAccessMatrixPreview> report = demo::MakeAccessMatrixPreview(config->Title(), *grid);
    auto* link = dynamic_cast<TdxDBGridReportLink*>(report->Link);
    ASSERT_NE(link, nullptr);
    const bool transparent = link->Transparent();
    bool active = false;
    std::string title;
    bool colorsShown = false;
    TModalFormHookScope hook([&](TForm& F) {
        auto& w = dynamic_cast<TdxTLReportLinkDesignWindow&>(F);
        active = WaitUntilActive(w);
        title = XTitleOf(w);
        const TRect tab = w.PageControl->TabRect(w.tshColors->PageIndex());
        ClickAt(w.PageControl, (tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2);
        colorsShown = w.PageControl->ActivePage() == w.tshColors;
        ClickAt(w.chbxTransparent, 6, w.chbxTransparent->Height() / 2);
        ClickAt(w.OKButton(), 20, 10);
    });
    EXPECT_TRUE(report->Printer->DesignReport(link));
    EXPECT_TRUE(active);
    EXPECT_EQ(title, "Report Designer : AccessMatrix");
    EXPECT_TRUE(colorsShown);
    EXPECT_NE(link->Transparent(), transparent);
}

} // namespace
} // namespace qel::test
