// The grid's layout keys through INI files and the settings store, with a
// damaged "Filter" value.
#include "dbgrid/DBGrid.h"

#include "GridTestSupport.h"
#include "TestSupport.h"
#include "editors/RegIniWrapper.h"
#include "platform/controls/Application.h"
#include "platform/core/Guards.h"
#include "platform/core/Stream.h"
#include "platform/storage/IniFile.h"
#include "platform/storage/Registry.h"
#include "treelist/LayoutStorage.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

// Restores a layout; the errors the application was shown on the way.
std::vector<std::string> RestoreReportingErrors(TdxDBGrid* Grid, TdxRegIniWrapper& Wrapper)
{
    std::vector<std::string> reported;
    Application().OnException = [&](TObject*, const std::exception& E) { reported.push_back(E.what()); };
    Finally reset([] { Application().OnException = nullptr; });
    Grid->RestoreLayout(Wrapper);
    return reported;
}

class GridLayoutKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previous = SettingsStoreFile();
        SetSettingsStoreFile(m_dir.File("store.ini"));
    }
    void TearDown() override { SetSettingsStoreFile(m_previous); }

    static void Name(GridFixture& F)
    {
        F.grid->Columns(0)->SetName("colNumber");
        F.grid->Columns(1)->SetName("colTitle");
        F.grid->Columns(2)->SetName("colArea");
        F.grid->Columns(3)->SetName("colActive");
    }
    // A grid grouped by area, filtered to "Door 3" and "Door 4", with its panel and footers shown.
    static void Shape(GridFixture& F)
    {
        F.grid->Columns(2)->SetGroupIndex(0);
        F.grid->SetShowGroupPanel(true);
        F.grid->SetShowRowFooter(true);
        F.grid->Filter()->SetActive(true);
        ApplyCustomFilterConditions(*F.grid->Filter()->Criteria(), F.grid->Columns(0),
                                    {3, Variant(3), "3"}, {5, Variant(4), "4"}, false);
        F.grid->ApplyFilter();
    }

    TempDir m_dir;
    std::string m_previous;
};

} // namespace

TEST_F(GridLayoutKeys, SettingsStoreRoundTripIncludesTheFilter)
{
    {
        GridFixture f;
        Name(f);
        Shape(f);
        TdxRegIniWrapper w("Software\\Tessaro\\Layouts\\Grid");
        f.grid->StoreLayout(w);
    }
    GridFixture g;
    Name(g);
    TdxRegIniWrapper w("Software\\Tessaro\\Layouts\\Grid");
    g.grid->RestoreLayout(w);
    EXPECT_EQ(g.grid->GroupColumnCount(), 1);
    EXPECT_TRUE(g.grid->ShowGroupPanel());
    EXPECT_TRUE(g.grid->ShowRowFooter());
    EXPECT_EQ(g.grid->Filter()->Criteria()->GetFilterText(), "((NUMBER >= 3) AND (NUMBER <= 4))");
    EXPECT_EQ(g.grid->LoadedRecordCount(), 2);
}

TEST_F(GridLayoutKeys, IniLayoutsGoWithoutTheFilter)
{
    const std::string file = m_dir.File("grid.ini");
    {
        GridFixture f;
        Name(f);
        Shape(f);
        TMemIniFile ini(file);
        TdxRegIniWrapper w(&ini);
        f.grid->StoreLayout(w);
        ini.UpdateFile();
    }
    TMemIniFile ini(file);
    EXPECT_TRUE(ini.ValueExists("DBGrid1.Column.colArea", "GroupIndex"));
    EXPECT_FALSE(ini.ValueExists("DBGrid1.Layout", "Filter"));
    GridFixture g;
    Name(g);
    g.grid->Filter()->SetActive(true);
    g.grid->Filter()->SetColumnValue(g.grid->Columns(1), Variant("Door 7"), "Door 7");
    TdxRegIniWrapper w(&ini);
    g.grid->RestoreLayout(w);
    EXPECT_EQ(g.grid->GroupColumnCount(), 1);
    EXPECT_EQ(g.grid->Filter()->Criteria()->GetFilterText(), "(TITLE = 'Door 7')");
}

TEST_F(GridLayoutKeys, DamagedFilterKeepsTheCurrentOneAndIsReported)
{
    GridFixture g;
    Name(g);
    g.grid->Filter()->SetActive(true);
    g.grid->Filter()->SetColumnValue(g.grid->Columns(1), Variant("Door 7"), "Door 7");
    TdxRegIniWrapper w("Software\\Tessaro\\Layouts\\Broken");
    w.WriteBool("DBGrid1.Layout", "ShowGroupPanel", true);
    const std::uint8_t garbage[] = {2, 0, 0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0x7F};
    w.WriteBinaryData("DBGrid1.Layout", "Filter", garbage, sizeof garbage);
    w.WriteInteger("DBGrid1.Column.colArea", "GroupIndex", 0);
    const std::vector<std::string> reported = RestoreReportingErrors(g.grid, w);
    EXPECT_EQ(reported.size(), 1u);
    EXPECT_EQ(g.grid->Filter()->Criteria()->GetFilterText(), "(TITLE = 'Door 7')");
    // The rest of the layout loads.
    EXPECT_TRUE(g.grid->ShowGroupPanel());
    EXPECT_EQ(g.grid->GroupColumnCount(), 1);
}

TEST_F(GridLayoutKeys, FilterValueIsTheWrappedFilterWithItsSettings)
{
    {
        GridFixture f;
        Name(f);
        Shape(f);
        f.grid->SetShowNewItemRow(true);
        f.grid->Filter()->SetDropDownCount(20);
        f.grid->Filter()->SetFilterStatus(fsAlways);
        TdxRegIniWrapper w("Software\\Tessaro\\Layouts\\Wrapped");
        f.grid->StoreLayout(w);
        const std::vector<std::uint8_t> value = w.ReadBinaryData("DBGrid1.Layout", "Filter");
        ASSERT_GE(value.size(), 4u);
        EXPECT_EQ(std::string(value.begin(), value.begin() + 4), "QELC");
    }
    GridFixture g;
    Name(g);
    TdxRegIniWrapper w("Software\\Tessaro\\Layouts\\Wrapped");
    g.grid->RestoreLayout(w);
    EXPECT_TRUE(g.grid->ShowNewItemRow());
    EXPECT_TRUE(g.grid->Filter()->Active());
    EXPECT_EQ(g.grid->Filter()->DropDownCount(), 20);
    EXPECT_EQ(g.grid->Filter()->FilterStatus(), fsAlways);
    EXPECT_EQ(g.grid->Filter()->Criteria()->GetFilterText(), "((NUMBER >= 3) AND (NUMBER <= 4))");
    EXPECT_EQ(g.grid->LoadedRecordCount(), 2);
}

TEST_F(GridLayoutKeys, BareCriteriaValuesOfEarlierLayoutsStillRead)
{
    TMemoryStream criteria;
    {
        GridFixture f;
        Name(f);
        Shape(f);
        f.grid->Filter()->Criteria()->SaveToStream(criteria);
    }
    GridFixture g;
    Name(g);
    g.grid->Filter()->SetActive(true);
    g.grid->Filter()->SetDropDownCount(15);
    TdxRegIniWrapper w("Software\\Tessaro\\Layouts\\Old");
    w.WriteBinaryData("DBGrid1.Layout", "Filter", criteria.Memory(), static_cast<int>(criteria.Size()));
    g.grid->RestoreLayout(w);
    EXPECT_EQ(g.grid->Filter()->Criteria()->GetFilterText(), "((NUMBER >= 3) AND (NUMBER <= 4))");
    EXPECT_EQ(g.grid->Filter()->DropDownCount(), 15);   // the other settings stay
    EXPECT_EQ(g.grid->LoadedRecordCount(), 2);
}

TEST_F(GridLayoutKeys, DamagedWrappedFilterKeepsTheCurrentOne)
{
    std::vector<std::uint8_t> value;
    {
        GridFixture f;
        Name(f);
        Shape(f);
        f.grid->Filter()->SetDropDownCount(20);
        TdxRegIniWrapper w("Software\\Tessaro\\Layouts\\Cut");
        f.grid->StoreLayout(w);
        value = w.ReadBinaryData("DBGrid1.Layout", "Filter");
    }
    ASSERT_GT(value.size(), 20u);
    GridFixture g;
    Name(g);
    g.grid->Filter()->SetActive(true);
    g.grid->Filter()->SetColumnValue(g.grid->Columns(1), Variant("Door 7"), "Door 7");
    TdxRegIniWrapper w("Software\\Tessaro\\Layouts\\Cut");
    w.WriteBinaryData("DBGrid1.Layout", "Filter", value.data(), static_cast<int>(value.size()) - 3);
    const std::vector<std::string> reported = RestoreReportingErrors(g.grid, w);
    EXPECT_EQ(reported.size(), 1u);
    EXPECT_EQ(g.grid->Filter()->Criteria()->GetFilterText(), "(TITLE = 'Door 7')");
    EXPECT_EQ(g.grid->Filter()->DropDownCount(), 12);
    EXPECT_EQ(g.grid->LoadedRecordCount(), 1);
    EXPECT_EQ(g.grid->GroupColumnCount(), 1);
}
