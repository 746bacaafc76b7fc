// Storing and restoring a tree list's layout beside other settings, and
// damaged stored values.
#include "TreeListTestSupport.h"
#include "platform/controls/Automation.h"
#include "platform/graphics/Bitmap.h"

#include "editors/RegIniWrapper.h"
#include "platform/controls/Clock.h"
#include "platform/controls/Keyboard.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Metafile.h"
#include "platform/storage/IniFile.h"
#include "TestSupport.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <gtest/gtest.h>

using namespace qel;
using qel::test::HeaderOrder;
using qel::test::Mid;
using qel::test::TreeFixture;

TEST(TreeListLayoutStorage, StoreRestoreRoundTripsBesideTheGridSection)
{
    qel::test::TempDir dir;
    const std::string file = dir.File("QELKF.GRD");
    TreeFixture f;
    f.tree->Bands()->Add()->SetCaption("B2");
    f.colKind->SetBandIndex(1);
    f.colSize->SetWidth(123);
    f.colName->SetVisible(false);
    f.colKind->SetSorted(csUp);
    f.tree->Bands()->GetItem(0)->SetWidth(300);
    {
        TMemIniFile ini(file);
        ini.WriteString("DBGRID1", "Tree1", "captions of the application");
        TdxRegIniWrapper wrapper(&ini);
        f.tree->StoreLayout(wrapper);
        ini.UpdateFile();
    }
    TreeFixture g;
    g.tree->Bands()->Add();
    {
        TMemIniFile ini(file);
        TdxRegIniWrapper wrapper(&ini);
        g.tree->RestoreLayout(wrapper);
        EXPECT_EQ(ini.ReadString("DBGRID1", "Tree1", ""), "captions of the application");
        EXPECT_FALSE(ini.SectionExists("Tree1"));   // never a bare component name
    }
    EXPECT_EQ(HeaderOrder(*g.tree), HeaderOrder(*f.tree));
    EXPECT_EQ(g.colSize->Width(), 123);
    EXPECT_FALSE(g.colName->Visible());
    EXPECT_EQ(g.colKind->BandIndex(), 1);
    EXPECT_EQ(g.colKind->Sorted(), csUp);
    EXPECT_EQ(g.tree->SortedColumns(), f.tree->SortedColumns());
    EXPECT_EQ(g.tree->Bands()->GetItem(0)->Width(), 300);
    // Stored again, the file is the same.
    {
        TMemIniFile a(dir.File("a.ini"));
        TMemIniFile b(dir.File("b.ini"));
        TdxTreeListIniLayoutStorage sa(a), sb(b);
        f.tree->StoreLayout(sa);
        g.tree->StoreLayout(sb);
        a.UpdateFile();
        b.UpdateFile();
    }
    EXPECT_EQ(qel::test::ReadFileBytes(dir.File("a.ini")), qel::test::ReadFileBytes(dir.File("b.ini")));

    // The same through a settings-store key.
    {
        TdxRegIniWrapper key("Software\\QelTest\\TreeLayout");
        f.tree->StoreLayout(key);
        TreeFixture h;
        h.tree->Bands()->Add();
        h.tree->RestoreLayout(key);
        EXPECT_EQ(HeaderOrder(*h.tree), HeaderOrder(*f.tree));
        EXPECT_EQ(h.colSize->Width(), 123);
        EXPECT_EQ(h.colKind->Sorted(), csUp);
    }
}

namespace {

// Lays out, paints, hit-tests and scrolls every part of a tree list: under
// the sanitizers an overflow anywhere on the way stops the test.
void ExerciseLayout(TreeFixture& F)
{
    TBitmap bmp(400, 300);
    for (int left : {0, INT_MAX / 2, INT_MAX}) {
        F.tree->SetLeftCoord(left);
        F.tree->PaintTo(*bmp.Canvas(), Rect(0, 0, 400, 300));
        for (int x = 0; x < 400; x += 37)
            for (int y = 0; y < 300; y += 29)
                (void)F.tree->GetHitInfo(x, y);
    }
    for (int i = 0; i < F.tree->GetAbsoluteCount(); ++i) {
        TdxTreeListNode* node = F.tree->GetAbsoluteNode(i);
        F.tree->MakeNodeVisible(node);
        (void)F.tree->GetCellRect(node, 0);
        F.tree->PaintTo(*bmp.Canvas(), Rect(0, 0, 400, 300));
    }
    F.tree->SetTopIndex(INT_MAX);
    F.tree->PaintTo(*bmp.Canvas(), Rect(0, 0, 400, 300));
}

} // namespace

// Damaged layout values are clamped or ignored: widths, heights and indents
// a layout file or a program sets are kept within bounds, and widths add up
// without overflow.
TEST(TreeListLayoutStorage, DamagedValuesAreClampedNotApplied)
{
    qel::test::TempDir dir;
    TMemIniFile ini(dir.File("bad.ini"));
    ini.WriteString("Tree1.Column.ColSize", "Width", "-500");
    ini.WriteString("Tree1.Column.ColSize", "BandIndex", "99");
    ini.WriteString("Tree1.Column.ColSize", "Sorted", "7");
    ini.WriteString("Tree1.Column.ColSize", "RowIndex", "1000000");
    ini.WriteString("Tree1.Layout", "HeaderPanelRowCount", "-3");
    ini.WriteString("Tree1.Column.ColName", "Width", "2147483647");
    ini.WriteString("Tree1.Column.ColKind", "Width", "2147483647");
    ini.WriteString("Tree1.Band.0", "Width", "2147483647");
    TreeFixture f;
    for (int i = 0; i < 4; ++i)
        f.Add(f.Add(f.Add(nullptr, "N" + std::to_string(i), "1", "x"), "child"), "grandchild");
    f.tree->FullExpand();
    f.tree->SetOptions(f.tree->Options() + TdxTreeListOptions{aoPreview});
    f.tree->SetShowBands(true);
    f.tree->SetShowFooter(true);
    TdxTreeListIniLayoutStorage storage(ini);
    f.tree->RestoreLayout(storage);
    EXPECT_EQ(f.colSize->Width(), f.colSize->MinWidth());
    EXPECT_EQ(f.colSize->BandIndex(), 0);
    EXPECT_EQ(f.colSize->Sorted(), csNone);
    EXPECT_EQ(f.colSize->RowIndex(), 0);
    EXPECT_EQ(f.tree->HeaderPanelRowCount(), 1);
    EXPECT_EQ(HeaderOrder(*f.tree), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(f.colName->Width(), dxMaxTreeListLength);
    EXPECT_EQ(f.tree->Bands()->GetItem(0)->Width(), dxMaxTreeListLength);
    ExerciseLayout(f);
    f.tree->Bands()->GetItem(0)->SetWidth(0);   // the band follows its columns again
    EXPECT_EQ(f.tree->GetReportWidth(), 2 * dxMaxTreeListLength + f.colSize->MinWidth());
    ExerciseLayout(f);

    for (int value : {INT_MAX, INT_MIN}) {
        SCOPED_TRACE(value);
        f.tree->SetDefaultRowHeight(value);
        f.tree->SetIndentDesc(value);
        f.tree->SetPreviewLines(value);
        f.tree->SetHeaderPanelRowCount(value);
        f.tree->SetIndicatorWidth(value);
        f.tree->SetMaxRowLineCount(value);
        f.colName->SetMinWidth(value);
        ExerciseLayout(f);
        f.tree->SetOptionsEx(f.tree->OptionsEx() + TdxTreeListOptionsEx{aoRowAutoHeight});
        ExerciseLayout(f);
        f.tree->SetOptionsEx(f.tree->OptionsEx() - TdxTreeListOptionsEx{aoRowAutoHeight});
    }
    EXPECT_EQ(f.tree->IndentDesc(), 0);
    f.tree->SetIndentDesc(INT_MAX);
    f.tree->SetDefaultRowHeight(INT_MAX);
    EXPECT_EQ(f.tree->IndentDesc(), dxMaxTreeListLength);
    EXPECT_EQ(f.tree->DefaultRowHeight(), dxMaxTreeListLength);
}
