#include "platform/storage/Registry.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Guards.h"
#include "platform/core/Strings.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

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

// Files written by earlier versions of the store (through QSettings) read as
// they were written.
TEST_F(RegistryTest, FilesOfEarlierVersionsReadBack)
{
    WriteFileBytes(m_dir.File("registry.ini"),
                   "[r80000001]\n"
                   "kx\\_=X\n"
                   "kx\\nnul=nul\n"
                   "kx\\vnul=@String(sa\\0\\x62)\n"
                   "kx\\n_20lead=\" lead\"\n"
                   "kx\\v_20lead=\"s a,b;c=d \"\n"
                   "kx\\n_40at=@@at\n"
                   "kx\\v_40at=s\\tq\\\"u\\\\ \\x1b\\x10040 Vorschau \xC3\xBC \\xd83d\\xde00\n");
    Reload();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\X"));
    EXPECT_EQ(reg.ReadString("nul"), std::string("a\0b", 3));
    EXPECT_EQ(reg.ReadString(" lead"), " a,b;c=d ");
    EXPECT_EQ(reg.ReadString("@at"), "\tq\"u\\ \x1b@ Vorschau \xC3\xBC \xF0\x9F\x98\x80");
}

// Every name and value reads back as written, whatever it holds, and the
// store stays usable afterwards (a blank then '@' once locked it for good).
TEST_F(RegistryTest, AnyNameAndValueReadsBack)
{
    const std::vector<std::string> texts = {" @note", "@Variant(\\0)", "@@", "@", "a,b", "x;y", "k=v", " ", "\"q\"",
                                            std::string("\0\x01" "9f\x1f" "a\\", 7), "\xFF\xFE not UTF-8",
                                            "tab\tend\t", "\\0100", "\\x10040"};
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("\\Names", true));
        for (std::size_t i = 0; i < texts.size(); ++i) {
            reg.WriteString(texts[i], texts[i]);
            reg.WriteString("v" + std::to_string(i), texts[i]);
        }
    }
    Reload();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Names", false));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(reg.ReadString("v" + std::to_string(i)), texts[i]) << i;
        EXPECT_EQ(reg.ReadString(texts[i]), texts[i]) << i;
    }
    reg.WriteInteger("after", 1);
    Reload();
    TRegistry again;
    ASSERT_TRUE(again.OpenKey("\\Names", false));
    EXPECT_EQ(again.ReadInteger("after"), 1);
}

// A batch writes the file once, when the outermost scope ends; reads inside
// see the changes.
TEST_F(RegistryTest, BatchWritesTheFileOnceAtTheOutermostEnd)
{
    const std::string file = m_dir.File("registry.ini");
    {
        TUpdateScope batch(SettingsStore());
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kLayoutKey, true));
        {
            TUpdateScope inner(SettingsStore());
            for (int column = 0; column < 35; ++column)
                reg.WriteInteger("Width" + std::to_string(column), column * 10);
        }
        EXPECT_FALSE(std::filesystem::exists(file)) << "an inner scope wrote the file";
        reg.WriteString("Caption", "Vorschau");
        EXPECT_EQ(reg.ReadInteger("Width34"), 340);
        EXPECT_EQ(SettingsStore().UpdateCount(), 1);
    }
    EXPECT_EQ(SettingsStore().UpdateCount(), 0);
    Reload();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(kLayoutKey));
    EXPECT_EQ(reg.ReadInteger("Width7"), 70);
    EXPECT_EQ(reg.ReadString("Caption"), "Vorschau");
}

// An exception inside a batch keeps every change made before it, in memory
// and in the file alike; a batch whose file cannot be written raises and
// leaves the store as the file holds it.
TEST_F(RegistryTest, BatchStaysConsistentWhenInterrupted)
{
    try {
        TUpdateScope batch(SettingsStore());
        TRegistry reg;
        reg.OpenKey("\\Layout", true);
        reg.WriteInteger("Done", 1);
        throw EConvertError("stop");
    } catch (const EConvertError&) {
    }
    EXPECT_EQ(SettingsStore().UpdateCount(), 0);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Layout", false));
    EXPECT_EQ(reg.ReadInteger("Done"), 1);
    Reload();
    ASSERT_TRUE(reg.OpenKey("\\Layout", false));
    EXPECT_EQ(reg.ReadInteger("Done"), 1);

    WriteFileBytes(m_dir.File("blocker"), "x");
    SetSettingsStoreFile(m_dir.File("blocker/registry.ini"));
    auto failing = [&] {
        TUpdateScope batch(SettingsStore());
        TRegistry lost;
        lost.OpenKey("\\Lost", true);
        lost.WriteInteger("x", 1);
    };
    EXPECT_THROW(failing(), ERegistryException);
    EXPECT_FALSE(reg.KeyExists("\\Lost"));
}
