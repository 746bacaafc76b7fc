// The grid's grouped option sets: their exclusions and how they mirror onto
// the combined words and the tree list's own options.
#include "dbgrid/DBGrid.h"

#include "GridTestSupport.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

TEST(GridOptions, DefaultsAgreeBetweenGroupedAndCombinedSets)
{
    TComponent owner(nullptr);
    TdxDBGrid grid(&owner);
    EXPECT_EQ(grid.Options(),
              (TdxDBGridOptions{egoColumnSizing, egoColumnMoving, egoEditing, egoTabThrough, egoCanDelete,
                                egoConfirmDelete, egoCanNavigation, egoCancelOnExit, egoImmediateEditor,
                                egoCanInsert}));
    EXPECT_EQ(grid.OptionsEx(), (TdxDBGridOptionsEx{egoUseBitmap, egoBandHeaderWidth, egoBandSizing, egoBandMoving,
                                                    egoVertThrough, egoEnterShowEditor, egoDragScroll,
                                                    egoAutoSort}));
    EXPECT_EQ(grid.OptionsDB(), (TdxDBGridOptionsDB{edgoCancelOnExit, edgoCanDelete, edgoCanInsert,
                                                    edgoCanNavigation, edgoConfirmDelete, edgoUseBookmarks}));
    EXPECT_EQ(grid.OptionsView(), (TdxDBGridOptionsView{edgoBandHeaderWidth, edgoUseBitmap}));
    EXPECT_TRUE(grid.UseBookmarks());
    // The tree list keeps its own start values (no automatic sorting).
    EXPECT_EQ(grid.GetOptions(), (TdxTreeListOptions{aoColumnSizing, aoColumnMoving, aoEditing, aoTabThrough,
                                                     aoImmediateEditor}));
    EXPECT_FALSE(grid.GetOptions().Contains(aoAutoSort));
}

TEST(GridOptions, GroupedMembersMirrorByName)
{
    TComponent owner(nullptr);
    TdxDBGrid grid(&owner);
    grid.SetOptionsBehavior(grid.OptionsBehavior() + TdxDBGridOptionsBehavior{edgoMultiSelect, edgoAutoSearch,
                                                                              edgoMultiSort, edgoSeekDetail});
    EXPECT_TRUE(grid.Options().Contains(egoMultiSelect));
    EXPECT_TRUE(grid.OptionsEx().Contains(egoAutoSearch));
    EXPECT_TRUE(grid.OptionsEx().Contains(egoMultiSort));
    EXPECT_TRUE(grid.Options().Contains(egoSeekDetail));
    EXPECT_TRUE(grid.GetOptions().Contains(aoMultiSelect));
    EXPECT_TRUE(grid.GetOptionsEx().Contains(aoAutoSearch));
    EXPECT_TRUE(grid.GetOptions().Contains(aoAutoSort));   // the whole set was copied
    EXPECT_FALSE(grid.GetOptionsEx().Contains(aoMultiSort));   // stays with the grid

    grid.SetOptionsCustomize(TdxDBGridOptionsCustomize{edgoColumnSizing, edgoKeepColumnWidth});
    EXPECT_FALSE(grid.GetOptions().Contains(aoColumnMoving));
    EXPECT_TRUE(grid.GetOptions().Contains(aoKeepColumnWidth));
    EXPECT_FALSE(grid.GetOptionsEx().Contains(aoBandSizing));
    EXPECT_FALSE(grid.Options().Contains(egoColumnMoving));

    grid.SetOptionsView(grid.OptionsView() + TdxDBGridOptionsView{edgoIndicator, edgoPreview});
    EXPECT_TRUE(grid.ShowIndicator());
    EXPECT_TRUE(grid.GetOptions().Contains(aoPreview));
    grid.SetShowIndicator(false);   // switched on the tree list itself
    EXPECT_FALSE(grid.OptionsView().Contains(edgoIndicator));

    // Data members reach the combined word only.
    const TdxTreeListOptions tree = grid.GetOptions();
    grid.SetOptionsDB(grid.OptionsDB() + TdxDBGridOptionsDB{edgoSmartRefresh, edgoCanAppend});
    EXPECT_TRUE(grid.Options().Contains(egoSmartRefresh));
    EXPECT_TRUE(grid.Options().Contains(egoCanAppend));
    EXPECT_EQ(grid.GetOptions(), tree);
}

TEST(GridOptions, CombinedWordsSetTheGroupedSets)
{
    TComponent owner(nullptr);
    TdxDBGrid grid(&owner);
    grid.SetOptions(grid.Options() + TdxDBGridOptions{egoRowSelect, egoCollapsedReload} -
                    TdxDBGridOptions{egoEditing, egoColumnMoving});
    EXPECT_TRUE(grid.OptionsView().Contains(edgoRowSelect));
    EXPECT_TRUE(grid.OptionsBehavior().Contains(edgoCollapsedReload));
    EXPECT_FALSE(grid.OptionsBehavior().Contains(edgoEditing));
    EXPECT_FALSE(grid.OptionsCustomize().Contains(edgoColumnMoving));
    EXPECT_TRUE(grid.GetOptions().Contains(aoRowSelect));
    EXPECT_FALSE(grid.GetOptions().Contains(aoEditing));
    EXPECT_FALSE(grid.GetOptions().Contains(aoColumnMoving));
    // Members that live in the grouped sets only are kept.
    EXPECT_TRUE(grid.UseBookmarks());

    grid.SetOptionsEx(grid.OptionsEx() + TdxDBGridOptionsEx{egoInvertSelect, egoDblClick});
    EXPECT_TRUE(grid.OptionsBehavior().Contains(edgoDblClick));
    EXPECT_TRUE(grid.OptionsView().Contains(edgoInvertSelect));
    EXPECT_FALSE(grid.OptionsView().Contains(edgoRowSelect));   // invert select wins
    EXPECT_FALSE(grid.Options().Contains(egoRowSelect));
}

TEST(GridOptions, Exclusions)
{
    TComponent owner(nullptr);
    TdxDBGrid grid(&owner);
    grid.SetOptionsView(TdxDBGridOptionsView{edgoInvertSelect, edgoRowSelect});
    EXPECT_EQ(grid.OptionsView(), TdxDBGridOptionsView{edgoInvertSelect});
    EXPECT_TRUE(grid.GetOptionsEx().Contains(aoInvertSelect));
    EXPECT_FALSE(grid.GetOptions().Contains(aoRowSelect));

    // Row selection switches the tree list's inverted selection off, even one set there directly.
    grid.SetOptionsView(TdxDBGridOptionsView{});
    grid.TCustomdxTreeList::SetOptionsEx(grid.GetOptionsEx() + TdxTreeListOptionsEx{aoInvertSelect});
    grid.SetOptionsView(TdxDBGridOptionsView{edgoRowSelect});
    EXPECT_FALSE(grid.GetOptionsEx().Contains(aoInvertSelect));
    EXPECT_TRUE(grid.GetOptions().Contains(aoRowSelect));

    grid.SetOptionsDB(grid.OptionsDB() + TdxDBGridOptionsDB{edgoLoadAllRecords, edgoPartialLoad});
    EXPECT_TRUE(grid.OptionsDB().Contains(edgoLoadAllRecords));
    EXPECT_FALSE(grid.PartialLoad());
    grid.SetPartialLoad(true);   // partial load alone clears load-all
    EXPECT_TRUE(grid.PartialLoad());
    EXPECT_FALSE(grid.Options().Contains(egoLoadAllRecords));
    grid.SetOptions(grid.Options() + TdxDBGridOptions{egoLoadAllRecords});
    EXPECT_FALSE(grid.PartialLoad());
}

TEST(GridOptions, MultiSortIsTheGridsOwn)
{
    GridFixture f(6);
    f.grid->Columns(0)->SetSorted(csDown);
    f.grid->Columns(1)->SetSorted(csUp);
    f.grid->ReloadNodes();
    EXPECT_EQ(f.grid->Columns(1)->Sorted(), csNone);   // one sorted column without multi-sorting
    f.grid->SetOptionsBehavior(f.grid->OptionsBehavior() + TdxDBGridOptionsBehavior{edgoMultiSort});
    f.grid->Columns(1)->SetSorted(csUp);
    f.grid->ReloadNodes();
    EXPECT_EQ(f.grid->Columns(0)->Sorted(), csDown);
    EXPECT_EQ(f.grid->Columns(1)->Sorted(), csUp);
    // Switching multi-sorting off re-applies the rule at once.
    f.grid->SetOptionsBehavior(f.grid->OptionsBehavior() - TdxDBGridOptionsBehavior{edgoMultiSort});
    EXPECT_EQ(f.grid->Columns(1)->Sorted(), csNone);
}
