// Columns, fields and summary groups taken away from a loaded grid, and from
// under an operation that keeps them (load, regrouping, refilter, export,
// summary refresh) by a handler it calls: the grid never reads what is gone
// and then shows what a grid set up that way from the start shows.
#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridColumns.h"

#include "SummaryGridTestSupport.h"
#include "TestSupport.h"
#include "platform/controls/Messages.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphics.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

using namespace qel;
using namespace qel::test;

namespace {

void FilterNumbersAbove(SummaryGridFixture& F, int Number)
{
    F.grid->Filter()->SetActive(true);
    F.grid->Filter()->Criteria()->Clear();
    F.grid->Filter()->Criteria()->AddCondition(nullptr, F.number, false, std::to_string(Number), Variant(Number), 2);
    F.grid->ApplyFilter();
}

// Record 6's amount changed, left for the post.
void StartEdit(SummaryGridFixture& F)
{
    ASSERT_TRUE(F.ds->Locate("NUMBER", 6, {}));
    F.ds->Edit();
    F.ds->FieldByName("AMOUNT")->SetAsFloat(100.0);
}

// What a handler takes away.
struct Victim {
    const char* Name;
    std::function<void(SummaryGridFixture&)> Remove;
};

const std::vector<Victim>& Victims()
{
    static const std::vector<Victim> victims{
        // A column whose values the rows hold and the summaries and footers read.
        {"column", [](SummaryGridFixture& F) { delete F.amount; F.amount = nullptr; }},
        // A field the summaries read: the dataset closes.
        {"field", [](SummaryGridFixture& F) { delete F.ds->FieldByName("AMOUNT"); }},
        // The summary group the group rows show.
        {"summary group", [](SummaryGridFixture& F) { F.grid->SummaryGroups()->Delete(0); }},
    };
    return victims;
}

// An operation: the state before it, the handler it calls that does the
// removal (armed once), the operation itself, and how a grid is set up to
// show its outcome from the start.
struct Operation {
    const char* Name;
    std::function<void(SummaryGridFixture&)> Before;
    std::function<void(SummaryGridFixture&, std::function<void()>)> Arm;
    std::function<void(SummaryGridFixture&)> Run;
    std::function<void(SummaryGridFixture&)> Outcome;
};

void Nothing(SummaryGridFixture&) {}

const std::vector<Operation>& Operations()
{
    static const std::vector<Operation> operations{
        {"load", Nothing,
         [](SummaryGridFixture& F, std::function<void()> Strike) {
             F.grid->OnRefreshNodeData = [Strike](TObject*, TdxTreeListNode*) { Strike(); };
         },
         [](SummaryGridFixture& F) { F.Load(); }, Nothing},
        {"regrouping", [](SummaryGridFixture& F) { F.Load(); },
         [](SummaryGridFixture& F, std::function<void()> Strike) {
             F.grid->OnRefreshNodeData = [Strike](TObject*, TdxTreeListNode*) { Strike(); };
         },
         [](SummaryGridFixture& F) { F.active->SetGroupIndex(1); },
         [](SummaryGridFixture& F) { F.active->SetGroupIndex(1); }},
        {"refilter", [](SummaryGridFixture& F) { F.Load(); },
         [](SummaryGridFixture& F, std::function<void()> Strike) {
             F.grid->OnBeforeCalcSummary = [Strike](TObject*) { Strike(); };
         },
         [](SummaryGridFixture& F) { FilterNumbersAbove(F, 4); },
         [](SummaryGridFixture& F) { FilterNumbersAbove(F, 4); }},
        {"summary refresh",
         [](SummaryGridFixture& F) {
             F.grid->SetOptions(F.grid->Options() + TdxDBGridOptions{egoSmartRefresh});
             F.Load();
             StartEdit(F);
         },
         [](SummaryGridFixture& F, std::function<void()> Strike) {
             F.grid->OnCalcSummary = [Strike](TObject*) { Strike(); };
         },
         [](SummaryGridFixture& F) { F.ds->Post(); },
         [](SummaryGridFixture& F) {
             F.grid->SetOptions(F.grid->Options() + TdxDBGridOptions{egoSmartRefresh});
             if (F.ds->FindField("AMOUNT")) {
                 StartEdit(F);
                 F.ds->Post();
             }
         }},
    };
    return operations;
}

// The grid of the tests: grouped by area, with summaries of every kind.
void Prepare(SummaryGridFixture& F)
{
    F.AddSummaries();
    F.area->SetGroupIndex(0);
}

// A dataset the removal closed is opened again.
void Reopen(SummaryGridFixture& F)
{
    if (!F.ds->Active())
        F.ds->Open();
}

} // namespace

TEST(GridRemoval, AColumnLeavesEverythingTheGridKeptOfItAtOnce)
{
    SummaryGridFixture f(true);
    f.AddSummaries();
    f.Load();
    const std::vector<std::string> before = f.Cells();
    // Rows, footers and the filter follow the columns' new places.
    f.title->SetIndex(4);
    EXPECT_EQ(f.grid->GetColumn(4), f.title);
    delete f.active;
    FilterNumbersAbove(f, 4);

    SummaryGridFixture fresh(true);
    fresh.AddSummaries();
    fresh.title->SetIndex(4);
    delete fresh.active;
    fresh.Load();
    FilterNumbersAbove(fresh, 4);
    EXPECT_EQ(f.Cells(), fresh.Cells());
    EXPECT_EQ(f.Tree(), fresh.Tree());
    EXPECT_EQ(f.Cells().size(), 8u);
    ASSERT_EQ(before.size(), 12u);

    // A grouped column, and the column of an open header drop-down.
    f.area->SetGroupIndex(0);
    f.grid->DropDownFilter(f.number->GetColumnIndex());
    ASSERT_TRUE(f.grid->IsFilterDropDownOpen());
    delete f.area;
    delete f.number;
    EXPECT_EQ(f.grid->GroupColumnCount(), 0);
    EXPECT_FALSE(f.grid->IsFilterDropDownOpen());
    f.grid->ClearFilter();
    EXPECT_EQ(f.RecordRows(), 12);
}

TEST(GridRemoval, ATakenAwayColumnFieldOrSummaryGroupStopsTheOperationThatKeepsIt)
{
    for (const Operation& operation : Operations())
        for (const Victim& victim : Victims()) {
            SCOPED_TRACE(std::string(operation.Name) + ", " + victim.Name);
            SummaryGridFixture f(true);
            Prepare(f);
            operation.Before(f);
            int strikes = 0;
            operation.Arm(f, [&f, &strikes, &victim] {
                if (strikes++ == 0)
                    victim.Remove(f);
            });
            operation.Run(f);
            EXPECT_EQ(strikes > 0, true) << "the handler was not called";
            Reopen(f);

            // A grid with the thing gone and the outcome set up before it loads.
            SummaryGridFixture fresh(true);
            Prepare(fresh);
            victim.Remove(fresh);
            Reopen(fresh);
            operation.Outcome(fresh);
            fresh.Load();
            EXPECT_EQ(f.Tree(), fresh.Tree());
            EXPECT_EQ(f.Cells(), fresh.Cells());
        }
}

TEST(GridRemoval, AnExportThatLostAColumnFieldOrSummaryGroupWritesNothing)
{
    for (const Victim& victim : Victims()) {
        SCOPED_TRACE(victim.Name);
        TempDir dir;
        const std::string path = dir.File("doors.txt");
        WriteFileBytes(path, "before");
        SummaryGridFixture f(true);
        Prepare(f);
        f.Load();
        // Rows read their texts when first asked: the export asks.
        bool struck = false;
        f.ds->FieldByName("TITLE")->OnGetText = [&](TField*, std::string& Text, bool) {
            Text = "?";
            if (!std::exchange(struck, true))
                victim.Remove(f);
        };
        EXPECT_THROW(f.grid->SaveToText(path, true, ";", "", ""), EInvaliddxTreeListOperation);
        EXPECT_TRUE(struck);
        EXPECT_EQ(ReadFileBytes(path), "before");
        Reopen(f);

        SummaryGridFixture fresh(true);
        Prepare(fresh);
        victim.Remove(fresh);
        fresh.Load();
        Reopen(fresh);
        EXPECT_EQ(f.Tree(), fresh.Tree());

        // Exported again, the grid as it now is.
        f.grid->SaveToText(path, true, ";", "", "");
        EXPECT_NE(ReadFileBytes(path), "before");
    }
}

TEST(GridRemoval, AGridFreedByATextHandlerWhileARowReadsItsRecordIsNotTouchedAgain)
{
    struct Operation {
        const char* Name;
        std::function<void(SummaryGridFixture&)> Before;
        std::function<void(SummaryGridFixture&, const std::string&)> Run;
    };
    const Operation operations[] = {
        {"paint", [](SummaryGridFixture&) {},
         [](SummaryGridFixture& F, const std::string&) {
             F.grid->FullExpand();
             TBitmap image(400, 300);
             F.grid->PaintTo(*image.Canvas(), Rect(0, 0, 400, 300));
         }},
        {"export", [](SummaryGridFixture&) {},
         [](SummaryGridFixture& F, const std::string& Path) { F.grid->SaveToText(Path, true, ";", "", ""); }},
        {"summary refresh",
         [](SummaryGridFixture& F) {
             F.grid->SetOptions(F.grid->Options() + TdxDBGridOptions{egoSmartRefresh});
             StartEdit(F);
         },
         [](SummaryGridFixture& F, const std::string&) { F.ds->Post(); }},
        {"key press",
         [](SummaryGridFixture& F) {
             F.grid->SetOptionsEx(F.grid->OptionsEx() + TdxDBGridOptionsEx{egoAutoSearch});
             F.grid->FullExpand();
             F.grid->SetFocusedColumn(F.title->GetColumnIndex());
         },
         [](SummaryGridFixture& F, const std::string&) {
             TKeyChar key = 'D';
             F.grid->KeyPress(key);
         }},
    };
    for (const Operation& op : operations) {
        SCOPED_TRACE(op.Name);
        TempDir dir;
        const std::string path = dir.File("doors.txt");
        WriteFileBytes(path, "before");
        SummaryGridFixture f(true);
        Prepare(f);
        f.Load();
        op.Before(f);
        TComponent* grid = f.grid;
        f.ds->FieldByName("TITLE")->OnGetText = [&](TField* Sender, std::string& Text, bool) {
            Text = Sender->AsString();
            delete std::exchange(grid, nullptr);
        };
        // The operation stops silently; nothing of the grid is read after the handler.
        try {
            op.Run(f, path);
        } catch (const EAbort&) {
        }
        EXPECT_EQ(grid, nullptr);
        EXPECT_EQ(ReadFileBytes(path), "before");
        ProcessPostedCalls();
        // The data stay usable, and what was posted stays posted.
        f.ds->FieldByName("TITLE")->OnGetText = nullptr;
        EXPECT_EQ(f.ds->State(), dsBrowse);
        ASSERT_TRUE(f.ds->Locate("NUMBER", 6, {}));
        EXPECT_EQ(f.ds->FieldByName("AMOUNT")->AsFloat(), std::string(op.Name) == "summary refresh" ? 100.0 : 1.5);
    }
}

namespace {

// Runs Operation on a loaded grid whose Arm-ed event frees the grid: the
// operation stops silently, nothing of the grid is read after the event (a
// read shows under the sanitizer), the file an export would replace stays,
// and the data stay usable.
void ExpectStoppedByFreedGrid(const std::function<void(SummaryGridFixture&, std::function<void()>)>& Arm,
                              const std::function<void(SummaryGridFixture&, const std::string&)>& Operation)
{
    TempDir dir;
    const std::string path = dir.File("doors.out");
    WriteFileBytes(path, "before");
    SummaryGridFixture f(true);
    Prepare(f);
    f.Load();
    f.grid->FullExpand();
    TComponent* grid = f.grid;
    Arm(f, [&grid] { delete std::exchange(grid, nullptr); });
    try {
        Operation(f, path);
    } catch (const EAbort&) {
    }
    EXPECT_EQ(grid, nullptr);
    EXPECT_EQ(ReadFileBytes(path), "before");
    ProcessPostedCalls();
    EXPECT_EQ(f.ds->State(), dsBrowse);
    ASSERT_TRUE(f.ds->Locate("NUMBER", 6, {}));
    EXPECT_EQ(f.ds->FieldByName("TITLE")->AsString(), "Door 6");
}

void PaintGrid(SummaryGridFixture& F, const std::string&)
{
    TBitmap image(400, 300);
    F.grid->PaintTo(*image.Canvas(), Rect(0, 0, 400, 300));
}

} // namespace

TEST(GridRemoval, AGridFreedByAColumnTextEventIsNotTouchedAgain)
{
    const auto arm = [](SummaryGridFixture& F, std::function<void()> Strike) {
        F.title->OnGetText = [Strike](TObject*, TdxTreeListNode*, std::string& Text) {
            Text += "!";
            Strike();
        };
    };
    {
        SCOPED_TRACE("paint");
        ExpectStoppedByFreedGrid(arm, PaintGrid);
    }
    {
        SCOPED_TRACE("key press");
        ExpectStoppedByFreedGrid(arm, [](SummaryGridFixture& F, const std::string&) {
            F.grid->SetOptionsEx(F.grid->OptionsEx() + TdxDBGridOptionsEx{egoAutoSearch});
            F.grid->SetFocusedColumn(F.title->GetColumnIndex());
            TKeyChar key = 'D';
            F.grid->KeyPress(key);
        });
    }
    {
        SCOPED_TRACE("cell text");
        ExpectStoppedByFreedGrid(arm, [](SummaryGridFixture& F, const std::string&) {
            F.grid->GetCellText(F.grid->GetAbsoluteNode(1), F.title->GetColumnIndex());
        });
    }
}

// A column that borrows another per row asks its event while a row's text is
// read: the export that reads it stops at the first row.
TEST(GridRemoval, AGridFreedByAColumnReferenceEventIsNotTouchedAgain)
{
    const auto arm = [](SummaryGridFixture& F, std::function<void()> Strike) {
        auto* wrapper = F.grid->CreateColumnOf<TdxDBGridWrapperColumn>();
        wrapper->SetFieldName("TITLE");
        wrapper->OnGetReferenceColumn = [Strike, &F](TObject*, TdxTreeListNode*, TdxDBTreeListColumn*& Column) {
            Column = F.title;
            Strike();
        };
    };
    using Run = std::function<void(SummaryGridFixture&, const std::string&)>;
    const std::pair<const char*, Run> operations[] = {
        {"paint", PaintGrid},
        {"text", [](SummaryGridFixture& F, const std::string& P) { F.grid->SaveToText(P, true, ";", "", ""); }},
        {"HTML", [](SummaryGridFixture& F, const std::string& P) { F.grid->SaveToHTML(P, true); }},
        {"XML", [](SummaryGridFixture& F, const std::string& P) { F.grid->SaveToXML(P, true); }},
        {"BIFF4", [](SummaryGridFixture& F, const std::string& P) { F.grid->SaveToXLS(P, true); }},
        {"filter drop-down",
         [](SummaryGridFixture& F, const std::string&) { F.grid->DropDownFilter(F.grid->GetColumnCount() - 1); }},
    };
    for (const auto& [name, run] : operations) {
        SCOPED_TRACE(name);
        ExpectStoppedByFreedGrid(arm, run);
    }
}

// A column's text event frees only that column: the cell shows no text, the
// paint goes on with the columns that are left, and the grid stays usable.
TEST(GridRemoval, AColumnFreedByItsOwnTextEventGivesAnEmptyText)
{
    SummaryGridFixture f(true);
    Prepare(f);
    f.Load();
    f.grid->FullExpand();
    const int index = f.title->GetColumnIndex();
    TdxTreeListNode* row = f.grid->GetAbsoluteNode(1);
    const auto arm = [&f] {
        f.title->OnGetText = [&f](TObject*, TdxTreeListNode*, std::string& Text) {
            Text = "gone";
            delete std::exchange(f.title, nullptr);
        };
    };
    arm();
    EXPECT_EQ(f.grid->GetCellText(row, index), "");
    EXPECT_EQ(f.title, nullptr);
    EXPECT_EQ(f.grid->GetColumnCount(), 5);

    f.title = f.grid->CreateColumnOf<TdxDBGridColumn>();
    f.title->SetFieldName("TITLE");
    arm();
    TBitmap image(400, 300);
    f.grid->PaintTo(*image.Canvas(), Rect(0, 0, 400, 300));
    EXPECT_EQ(f.title, nullptr);
    EXPECT_EQ(f.grid->GetColumnCount(), 5);
    f.grid->PaintTo(*image.Canvas(), Rect(0, 0, 400, 300));
}
