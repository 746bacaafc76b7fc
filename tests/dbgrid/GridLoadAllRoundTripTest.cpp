// Loading all records for a while and going back, as a report link does:
// OptionsDB set back as it was gives the grid its holding mode, window and
// focused record again.
#include "GridTestSupport.h"

#include <gtest/gtest.h>

using namespace qel;
using qel::test::GridFixture;

TEST(GridLoadAllRoundTrip, PartialLoadComesBackWithItsWindowAndFocus)
{
    GridFixture f(1000, false);
    f.grid->SetPartialLoadBufferCount(100);
    f.grid->SetPartialLoad(true);
    f.ds->Locate("NUMBER", 800, {});
    ASSERT_TRUE(f.grid->IsPartialLoadMode());
    const TdxDBGridOptionsDB saved = f.grid->OptionsDB();
    const std::vector<std::string> window = f.Rows();
    const int top = f.grid->GetTopIndex();

    // Adding edgoLoadAllRecords clears edgoPartialLoad: the grid holds every record.
    f.grid->SetOptionsDB(saved + TdxDBGridOptionsDB{edgoLoadAllRecords});
    EXPECT_FALSE(f.grid->OptionsDB().Contains(edgoPartialLoad));
    EXPECT_EQ(f.grid->GetCount(), 1000);
    EXPECT_EQ(f.FocusedKey(), 800);

    // Only removing it again would land in buffer mode; the whole set goes back.
    f.grid->SetOptionsDB(saved);
    EXPECT_TRUE(f.grid->IsPartialLoadMode());
    EXPECT_EQ(f.grid->OptionsDB(), saved);
    EXPECT_EQ(f.Rows(), window);
    EXPECT_EQ(f.FocusedKey(), 800);
    EXPECT_EQ(f.CurrentKey(), 800);
    EXPECT_EQ(f.grid->GetTopIndex(), top);
}

// A grid that navigates by a key it does not have loads no rows when it
// holds all records, though it shows rows in the other modes.
TEST(GridLoadAllRoundTrip, WithoutKeyAndWithNavigationAllRecordsLoadNothing)
{
    GridFixture f(20, false);
    f.grid->SetKeyField("");
    ASSERT_TRUE(f.grid->Options().Contains(egoCanNavigation));
    EXPECT_GT(f.grid->GetCount(), 0);
    const TdxDBGridOptionsDB saved = f.grid->OptionsDB();
    f.grid->SetOptionsDB(saved + TdxDBGridOptionsDB{edgoLoadAllRecords});
    EXPECT_EQ(f.grid->GetCount(), 0);
    f.grid->SetOptionsDB(saved);
    EXPECT_GT(f.grid->GetCount(), 0);
}
