// The default column class table and the columns a grid makes for a
// dataset's fields.
#include "dbgrid/DBGridColumns.h"

#include "GridTestSupport.h"
#include "dbgrid/LookupColumn.h"
#include "platform/core/Guards.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

std::string ClassFor(TFieldType Type, TFieldKind Kind = fkData)
{
    TComponent owner(nullptr);
    auto* ds = new TMemoryDataSet(&owner);
    TField* f = ds->AddField("F", Type, Type == ftString ? 10 : 0);
    f->SetFieldKind(Kind);
    return DefaultGridColumnClass(f);
}

// Puts the table back as the grid's unit leaves it, whatever a test did.
void RestoreTable()
{
    InitDefaultGridColumnClasses();
    RegisterDefaultGridColumnClasses(OfferGridColumnClasses);
}

} // namespace

TEST(GridColumnClasses, TheGridsOwnLeavesByFieldType)
{
    EXPECT_EQ(ClassFor(ftBoolean), "TdxDBGridCheckColumn");
    EXPECT_EQ(ClassFor(ftCurrency), "TdxDBGridCurrencyColumn");
    EXPECT_EQ(ClassFor(ftDateTime), "TdxDBGridDateColumn");
    EXPECT_EQ(ClassFor(ftTime), "TdxDBGridTimeColumn");
    EXPECT_EQ(ClassFor(ftMemo), "TdxDBGridMemoColumn");
    EXPECT_EQ(ClassFor(ftFmtMemo), "TdxDBGridBlobColumn");
    EXPECT_EQ(ClassFor(ftVarBytes), "TdxDBGridBlobColumn");
    EXPECT_EQ(ClassFor(ftString), "TdxDBGridMaskColumn");
    EXPECT_EQ(ClassFor(ftAutoInc), "TdxDBGridMaskColumn");
    EXPECT_EQ(ClassFor(ftString, fkLookup), "TdxDBGridLookupColumn");
    // Calculated fields and types past the table get the plain column.
    EXPECT_EQ(ClassFor(ftBoolean, fkCalculated), "TdxDBGridColumn");
    EXPECT_EQ(ClassFor(ftLargeint), "TdxDBGridColumn");
    EXPECT_EQ(DefaultGridColumnClass(nullptr), "TdxDBGridColumn");
}

TEST(GridColumnClasses, OnlyAHigherPriorityReplacesAnEntry)
{
    Finally restore(RestoreTable);
    auto offer = [](const char* Class, int OfferedPriority) {
        return [Class, OfferedPriority](TFieldType Type, TFieldKind Kind, std::string& ColumnClass, int& Priority) {
            if (Type == ftString && Kind == fkData) {
                ColumnClass = Class;
                Priority = OfferedPriority;
            }
        };
    };
    RegisterDefaultGridColumnClasses(offer("TdxDBGridPickColumn", 1));   // equal to the grid's own
    EXPECT_EQ(ClassFor(ftString), "TdxDBGridMaskColumn");
    RegisterDefaultGridColumnClasses(offer("TdxDBGridPickColumn", 2));
    RegisterDefaultGridColumnClasses(offer("TdxDBGridMRUColumn", 2));   // same priority: the first stays
    EXPECT_EQ(ClassFor(ftString), "TdxDBGridPickColumn");
    EXPECT_EQ(ClassFor(ftString, fkLookup), "TdxDBGridLookupColumn");

    InitDefaultGridColumnClasses();
    EXPECT_EQ(ClassFor(ftString), "TdxDBGridColumn");
    EXPECT_EQ(ClassFor(ftString, fkLookup), "TdxDBGridColumn");
}

TEST(GridColumnClasses, DefaultColumnsFollowTheTable)
{
    GridFixture f(3, true, false);
    f.grid->DestroyColumns();
    f.grid->SetDefaultFields(true);
    f.grid->SetDataSource(f.source);
    ASSERT_EQ(f.grid->GetColumnCount(), 4);
    EXPECT_STREQ(f.grid->GetColumn(0)->ClassName(), "TdxDBGridMaskColumn");
    EXPECT_STREQ(f.grid->GetColumn(1)->ClassName(), "TdxDBGridMaskColumn");
    EXPECT_STREQ(f.grid->GetColumn(3)->ClassName(), "TdxDBGridCheckColumn");
    EXPECT_EQ(f.grid->GetItem(1)->GetString(1), "Door 2");
}
