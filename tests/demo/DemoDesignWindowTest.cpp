// The main program's pictures of the report designer on the access-matrix
// grid link: one per page, and the link left as it was.
#include "demo/DemoConfig.h"
#include "demo/DemoData.h"
#include "demo/DemoDesignWindow.h"
#include "demo/DemoGrid.h"
#include "demo/DemoPreview.h"
#include "platform/core/Guards.h"
#include "platform/data/MemoryDataSet.h"
#include "preview/PreviewDialogs.h"
#include "printing/DBGridReportLink.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qel::test {
namespace {

TEST(DemoDesignWindow, PicturesEveryPageOnTheGridLink)
{
    dxInstallPreviewDialogs();
    dxRegisterDBGridReportLink();
    Finally unregister([] { dxUnregisterDBGridReportLink(); });
    TempDir out;
    std::unique_ptr<demo::TConfiguration> config(demo::MakeSampleConfiguration(8, 16));
    std::unique_ptr<TMemoryDataSet> matrix(demo::MakeAccessMatrix(*config, nullptr));
    std::unique_ptr<TForm> grid =
        demo::MakeAccessMatrixWindow(*matrix, out.File("plain.png"), out.File("grouped.png"), out.File("filtered.png"));
    std::unique_ptr<demo::TAccessMatrixPreview> report = demo::MakeAccessMatrixPreview(config->Title(), *grid);
    auto* link = dynamic_cast<TdxDBGridReportLink*>(report->Link);
    ASSERT_NE(link, nullptr);
    const TdxTreeListPaintOptions options = link->Options();
    demo::SaveDesignWindowPictures(*link, out.Path().string());
    for (const char* picture : {"design-window-options.png", "design-window-colors.png", "design-window-fonts.png",
                                "design-window-behaviors.png"})
        EXPECT_GT(std::filesystem::file_size(out.File(picture)), 5000u) << picture;
    EXPECT_EQ(link->Options(), options);
}

} // namespace
} // namespace qel::test
