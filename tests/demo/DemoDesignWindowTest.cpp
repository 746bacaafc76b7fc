// The main program's pictures of the report designer on the access-matrix
// grid link: one per page, and the link left as it was.
#include "demo/DemoDesignWindow.h"
#include "demo/DemoPreview.h"

#include "AccessMatrixReportFixture.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qel::test {
namespace {

TEST(DemoDesignWindow, PicturesEveryPageOnTheGridLink)
{
    AccessMatrixReportFixture f(8, 16);
    const TempDir& out = f.out;
    demo::TAccessMatrixPreview* report = f.report.get();
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
