#include "platform/storage/Registry.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Strings.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace qel;
using qel::test::Lines;
using qel::test::ReadFileBytes;
using qel::test::TempDir;
using qel::test::WriteFileBytes;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previous = SettingsStoreFile();
        SetSettingsStoreFile(m_dir.File("registry.ini"));
    }
    void TearDown() override { SetSettingsStoreFile(m_previous); }
    // Drops the in-memory store so that the next access reads the file again.
    void Reload() { SetSettingsStoreFile(m_dir.File("registry.ini")); }

    TempDir m_dir;
    std::string m_previous;
};

const char* const kLayoutKey = "\\Software\\Tessaro\\PrintingSystem\\DesignTime\\FormLayouts\\qeldemo.dxfmStdPreview";

} // namespace

TEST_F(RegistryTest, AllValueTypesRoundTripThroughTheFile)
{
    const std::string binary("\x00\x01\xFF\x7F" "abc", 7);
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kLayoutKey, true));
        reg.WriteString("Caption", "Vorschau \"1\", [x] = ä; % \\ /");
        reg.WriteExpandString("Path", "%HOME%\\x");
        reg.WriteInteger("Left", -42);
        reg.WriteBool("MarginBar", true);
        reg.WriteFloat("Zoom", 0.1);
        reg.WriteBinaryData("Filter", binary.data(), static_cast<int>(binary.size()));
        reg.WriteBinaryData("Empty", nullptr, 0);
        reg.WriteString("", "default value");
    }
    Reload();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(kLayoutKey));
    EXPECT_EQ(reg.ReadString("Caption"), "Vorschau \"1\", [x] = ä; % \\ /");
    EXPECT_EQ(reg.ReadString("Path"), "%HOME%\\x");
    EXPECT_EQ(reg.ReadInteger("Left"), -42);
    EXPECT_TRUE(reg.ReadBool("MarginBar"));
    EXPECT_EQ(reg.ReadFloat("Zoom"), 0.1);
    EXPECT_EQ(reg.ReadString(""), "default value");

    char buf[16] = {};
    ASSERT_EQ(reg.ReadBinaryData("Filter", buf, sizeof buf), 7);
    EXPECT_EQ(std::string(buf, 7), binary);
    EXPECT_EQ(reg.ReadBinaryData("Empty", buf, sizeof buf), 0);

    EXPECT_EQ(reg.GetDataType("Caption"), rdString);
    EXPECT_EQ(reg.GetDataType("Path"), rdExpandString);
    EXPECT_EQ(reg.GetDataType("Left"), rdInteger);
    EXPECT_EQ(reg.GetDataType("Zoom"), rdBinary);
    EXPECT_EQ(reg.GetDataType("Nope"), rdUnknown);
    EXPECT_EQ(reg.GetDataSize("Filter"), 7);
    EXPECT_EQ(reg.GetDataSize("Zoom"), 8);
    EXPECT_EQ(reg.GetDataSize("Left"), 4);
    EXPECT_EQ(reg.GetDataSize("Nope"), -1);
}

TEST_F(RegistryTest, MissingOrMistypedValuesRaise)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Test", true));
    reg.WriteString("Text", "12");
    reg.WriteInteger("Number", 12);
    reg.WriteBinaryData("Blob", "abcdefghij", 10);

    EXPECT_EQ(test::MessageOf<ERegistryException>([&] { reg.ReadInteger("Text"); }),
              "Invalid data type for 'Text'");
    EXPECT_EQ(test::MessageOf<ERegistryException>([&] { reg.ReadInteger("Absent"); }),
              "Failed to get data for 'Absent'");
    EXPECT_THROW(reg.ReadBool("Absent"), ERegistryException);
    EXPECT_THROW(reg.ReadFloat("Absent"), ERegistryException);
    // Missing strings and binary values read as empty, as callers that probe
    // for an optional stored filter expect.
    EXPECT_EQ(reg.ReadString("Absent"), "");
    char buffer[16] = {'x'};
    EXPECT_EQ(reg.ReadBinaryData("Absent", buffer, sizeof buffer), 0);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_THROW(reg.ReadString("Number"), ERegistryException);
    EXPECT_THROW(reg.ReadBool("Text"), ERegistryException);
    EXPECT_THROW(reg.ReadFloat("Blob"), ERegistryException);   // binary, but not 8 bytes
    char small[4] = {'x'};
    EXPECT_EQ(test::MessageOf<ERegistryException>([&] { reg.ReadBinaryData("Blob", small, sizeof small); }),
              "Invalid data type for 'Blob'");
    EXPECT_EQ(small[0], 'x');
}

TEST_F(RegistryTest, KeysAndValuesCompareWithoutCaseButKeepTheirSpelling)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Tessaro\\Form Layouts\\app.Form/1", true));
    reg.WriteInteger("Left", 1);
    reg.WriteInteger("LEFT", 2);            // same value
    reg.WriteInteger("Größe", 3);
    reg.WriteInteger("Top", 4);
    EXPECT_EQ(reg.ReadInteger("left"), 2);
    EXPECT_EQ(reg.ReadInteger("GRÖßE"), 3);
    EXPECT_EQ(reg.CurrentPath(), "Software\\Tessaro\\Form Layouts\\app.Form/1");

    std::vector<std::string> values = reg.ValueNames();
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values, (std::vector<std::string>{"Größe", "Left", "Top"}));

    reg.CloseKey();
    EXPECT_TRUE(reg.KeyExists("SOFTWARE\\tessaro\\FORM LAYOUTS\\APP.FORM/1"));
    EXPECT_FALSE(reg.KeyExists("Software\\Tessaro\\Form"));
    EXPECT_FALSE(reg.KeyExists("Software\\Tessaro\\Form Layouts\\app"));   // '.' is no separator
    ASSERT_TRUE(reg.OpenKey("software\\TESSARO", false));
    TStringList names;
    reg.GetKeyNames(names);
    EXPECT_EQ(Lines(names), (std::vector<std::string>{"Form Layouts"}));
    EXPECT_TRUE(reg.HasSubKeys());
}

TEST_F(RegistryTest, RelativeAbsoluteAndMissingKeys)
{
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey("Software\\Nothing", false));
    EXPECT_FALSE(reg.HasCurrentKey());
    ASSERT_TRUE(reg.OpenKey("Software\\Root", true));
    ASSERT_TRUE(reg.OpenKey("Child\\Grand", true));   // relative
    EXPECT_EQ(reg.CurrentPath(), "Software\\Root\\Child\\Grand");
    ASSERT_TRUE(reg.OpenKey("\\Software", false));     // absolute
    EXPECT_EQ(reg.CurrentPath(), "Software");
    EXPECT_TRUE(reg.KeyExists("Root\\Child"));
    EXPECT_TRUE(reg.KeyExists("\\Software\\Root\\Child\\Grand"));

    // An empty key is kept (it has no values to show that it exists).
    Reload();
    TRegistry again;
    EXPECT_TRUE(again.KeyExists("Software\\Root\\Child\\Grand"));
    ASSERT_TRUE(again.OpenKey("Software\\Root\\Child\\Grand", false));
    EXPECT_FALSE(again.HasSubKeys());
    EXPECT_TRUE(again.ValueNames().empty());
}

TEST_F(RegistryTest, DeletingKeysIsRecursiveAndValuesGoOneByOne)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Colors", true));
    reg.WriteString("ColorA", "FFFFFF");
    reg.WriteString("ColorB", "000000");
    ASSERT_TRUE(reg.OpenKey("\\Software\\Colors\\Sub\\Deeper", true));
    reg.WriteInteger("x", 1);
    ASSERT_TRUE(reg.OpenKey("\\Software\\ColorsOther", true));
    reg.WriteInteger("y", 2);

    ASSERT_TRUE(reg.OpenKey("\\Software\\Colors", false));
    EXPECT_TRUE(reg.DeleteValue("colora"));
    EXPECT_FALSE(reg.DeleteValue("ColorA"));
    EXPECT_EQ(reg.ValueNames(), std::vector<std::string>{"ColorB"});

    reg.CloseKey();
    EXPECT_TRUE(reg.DeleteKey("Software\\COLORS"));
    EXPECT_FALSE(reg.KeyExists("Software\\Colors"));
    EXPECT_FALSE(reg.KeyExists("Software\\Colors\\Sub\\Deeper"));
    EXPECT_TRUE(reg.KeyExists("Software\\ColorsOther"));   // a sibling with the same prefix stays
    EXPECT_FALSE(reg.DeleteKey("Software\\Colors"));

    // Re-created, the key starts empty.
    ASSERT_TRUE(reg.OpenKey("Software\\Colors", true));
    EXPECT_TRUE(reg.ValueNames().empty());
    EXPECT_FALSE(reg.HasSubKeys());
}

TEST_F(RegistryTest, ReadOnlyKeysRefuseWrites)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\RO", true));
    reg.WriteInteger("v", 1);
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\RO"));
    EXPECT_THROW(reg.WriteInteger("v", 2), ERegistryException);
    EXPECT_THROW(reg.DeleteValue("v"), ERegistryException);
    EXPECT_EQ(reg.ReadInteger("v"), 1);
}

TEST_F(RegistryTest, RootKeysAreSeparateTrees)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\X", true));
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.HasCurrentKey());
    EXPECT_FALSE(reg.KeyExists("Software\\X"));
}

TEST_F(RegistryTest, DamagedStoreReadsEmptyAndIsNeverOverwritten)
{
    const std::string damaged = "[r80000001\nk=1\n\x01\x02garbage";
    WriteFileBytes(m_dir.File("registry.ini"), damaged);
    Reload();
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("Software"));
    EXPECT_FALSE(reg.OpenKey("Software", false));
    EXPECT_THROW(reg.OpenKey("Software\\New", true), ERegistryException);
    EXPECT_THROW(reg.WriteInteger("x", 1), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("x"), ERegistryException);
    Reload();
    EXPECT_EQ(ReadFileBytes(m_dir.File("registry.ini")), damaged);
}

TEST_F(RegistryTest, UnwritableStoreReportsTheFailure)
{
    // The store's directory is a file: nothing can be written there.
    WriteFileBytes(m_dir.File("blocker"), "x");
    SetSettingsStoreFile(m_dir.File("blocker/registry.ini"));
    TRegistry reg;
    EXPECT_THROW(reg.OpenKey("Software\\X", true), ERegistryException);
}
