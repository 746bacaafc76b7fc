// The settings wrapper over its three stores: INI file, in-memory INI file
// and settings-store key; defaults for missing values and binary values
// only in the settings store.
#include "editors/RegIniWrapper.h"
#include "platform/core/Exceptions.h"
#include "platform/storage/IniFile.h"
#include "platform/storage/Registry.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace qel {
namespace {

class RegIniWrapperTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previous = SettingsStoreFile();
        SetSettingsStoreFile(m_dir.File("store.ini"));
    }
    void TearDown() override { SetSettingsStoreFile(m_previous); }

    // Writes and reads integers, Booleans and strings, with defaults for
    // whatever is missing.
    static void CheckTypedValues(TdxRegIniWrapper& w)
    {
        EXPECT_EQ(w.ReadInteger("Band0", "Width", 64), 64);
        EXPECT_TRUE(w.ReadBool("Band0", "Visible", true));
        EXPECT_EQ(w.ReadString("Band0", "Caption", "none"), "none");
        w.WriteInteger("Band0", "Width", 120);
        w.WriteInteger("Band0", "Index", -3);
        w.WriteBool("Band0", "Visible", false);
        w.WriteString("Band0", "Caption", "Box 1");
        EXPECT_EQ(w.ReadInteger("Band0", "Width", 64), 120);
        EXPECT_EQ(w.ReadInteger("band0", "index", 0), -3);
        EXPECT_FALSE(w.ReadBool("Band0", "Visible", true));
        EXPECT_EQ(w.ReadString("Band0", "Caption", ""), "Box 1");
        EXPECT_EQ(w.ReadInteger("Band1", "Width", 7), 7);
        EXPECT_TRUE(w.SectionExists("Band0"));
        w.EraseSection("Band0");
        EXPECT_FALSE(w.SectionExists("Band0"));
        EXPECT_EQ(w.ReadInteger("Band0", "Width", 64), 64);
    }

    test::TempDir m_dir;
    std::string m_previous;
};

TEST_F(RegIniWrapperTest, IniFileKeepsTypedValuesButNoBinary)
{
    const std::string file = m_dir.File("layout.grd");
    {
        TIniFile ini(file);
        TdxRegIniWrapper w(&ini);
        EXPECT_FALSE(w.IsRegistry());
        CheckTypedValues(w);
        w.WriteBool("DBGRID1", "ShowGroupPanel", true);
        const std::uint8_t filter[] = {1, 2, 3};
        // The layout writer stores "Filter" whatever the storage: nothing
        // happens, nothing is raised, and the caller can tell.
        EXPECT_FALSE(w.WriteBinaryData("DBGRID1", "Filter", filter, sizeof filter));
        std::uint8_t buffer[8] = {};
        EXPECT_EQ(w.ReadBinaryData("DBGRID1", "Filter", buffer, sizeof buffer), 0);
        EXPECT_TRUE(w.ReadBinaryData("DBGRID1", "Filter").empty());
    }
    const std::string text = test::ReadFileBytes(file);
    EXPECT_NE(text.find("ShowGroupPanel=1"), std::string::npos);
    EXPECT_EQ(text.find("Filter"), std::string::npos);
}

TEST_F(RegIniWrapperTest, MemIniFileReachesTheFileOnUpdate)
{
    const std::string file = m_dir.File("mem.ini");
    TMemIniFile ini(file);
    TdxRegIniWrapper w(&ini);
    CheckTypedValues(w);
    w.WriteInteger("Column0", "GroupIndex", 2);
    const std::uint8_t data[] = {9};
    EXPECT_FALSE(w.WriteBinaryData("Column0", "Filter", data, 1));
    ini.UpdateFile();
    TMemIniFile back(file);
    EXPECT_EQ(TdxRegIniWrapper(&back).ReadInteger("Column0", "GroupIndex", -1), 2);
    EXPECT_FALSE(back.ValueExists("Column0", "Filter"));
}

TEST_F(RegIniWrapperTest, SettingsStoreAnswersDefaultsAndKeepsBinary)
{
    TdxRegIniWrapper w("Software\\Tessaro\\Layouts\\Grid1");
    EXPECT_TRUE(w.IsRegistry());
    CheckTypedValues(w);

    // The store itself raises for a missing integer; the wrapper never does.
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("\\Software\\Tessaro\\Layouts\\Grid1\\Band2", true));
        EXPECT_THROW(reg.ReadInteger("Width"), ERegistryException);
    }
    EXPECT_EQ(w.ReadInteger("Band2", "Width", 33), 33);
    EXPECT_FALSE(w.ReadBool("Band2", "Visible", false));

    const std::uint8_t filter[] = {0x10, 0x00, 0xFF, 0x7F};
    EXPECT_TRUE(w.WriteBinaryData("DBGRID1", "Filter", filter, sizeof filter));
    EXPECT_EQ(w.ReadBinaryData("DBGRID1", "Filter"), (std::vector<std::uint8_t>{0x10, 0x00, 0xFF, 0x7F}));
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(w.ReadBinaryData("DBGRID1", "Filter", buffer, sizeof buffer), 4);
    EXPECT_EQ(buffer[2], 0xFF);
    std::uint8_t small[2] = {};
    EXPECT_THROW(w.ReadBinaryData("DBGRID1", "Filter", small, sizeof small), ERegistryException)
        << "a value larger than the buffer is refused, not cut";
    EXPECT_EQ(w.ReadBinaryData("DBGRID1", "Missing", buffer, sizeof buffer), 0);

    // A second wrapper on the same key sees the values.
    TdxRegIniWrapper again("Software\\Tessaro\\Layouts\\Grid1");
    EXPECT_EQ(again.ReadBinaryData("DBGRID1", "Filter").size(), 4u);
    // Erasing a section removes its key only.
    again.EraseSection("DBGRID1");
    EXPECT_TRUE(again.ReadBinaryData("DBGRID1", "Filter").empty());
    again.EraseSection("");
    TRegistry reg;
    EXPECT_TRUE(reg.KeyExists("\\Software\\Tessaro\\Layouts\\Grid1"));
}

} // namespace
} // namespace qel
