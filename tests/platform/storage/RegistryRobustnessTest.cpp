// The settings store file after damage on disk: every mutated file reads
// without crashing; it is never changed by reading, and a damaged one never
// by writing.
#include "platform/core/Strings.h"
#include "platform/storage/Registry.h"

#include "TestSupport.h"
#include "fuzz/Mutator.h"

#include <gtest/gtest.h>

#include <map>

using namespace qel;
using qel::test::Lines;
using qel::test::ReadFileBytes;
using qel::test::TempDir;
using qel::test::WriteFileBytes;

namespace {

class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override { m_previous = SettingsStoreFile(); }
    void TearDown() override { SetSettingsStoreFile(m_previous); }

    std::string StorePath() const { return m_path.empty() ? m_dir.File("registry.ini") : m_path; }

    // A store with values of every type, as the program writes it.
    std::string Sample()
    {
        SetSettingsStoreFile(StorePath());
        {
            TRegistry reg;
            reg.OpenKey("\\Software\\Tessaro\\Layouts\\Form.Preview", true);
            reg.WriteString("Caption", "Vorschau ü");
            reg.WriteExpandString("Path", "%HOME%/x");
            reg.WriteInteger("Width", -640);
            reg.WriteFloat("Zoom", 1.25);
            const char blob[] = "\x00\x01\xFF";
            reg.WriteBinaryData("Filter", blob, 3);
            reg.OpenKey("Sub Key\\Deeper", true);
            reg.WriteBool("On", true);
        }
        SetSettingsStoreFile(m_dir.File("other.ini"));
        return ReadFileBytes(StorePath());
    }

    // Reads every key and value below `path`; reading raises only ERegistryException.
    void Walk(TRegistry& reg, const std::string& path, int depth, int& budget)
    {
        if (depth > 8 || --budget < 0 || !reg.OpenKeyReadOnly(path))
            return;
        for (const std::string& name : reg.ValueNames()) {
            (void)reg.GetDataType(name);
            const int size = reg.GetDataSize(name);
            try {
                (void)reg.ReadString(name);
            } catch (const ERegistryException&) {
            }
            try {
                (void)reg.ReadInteger(name);
            } catch (const ERegistryException&) {
            }
            try {
                (void)reg.ReadFloat(name);
            } catch (const ERegistryException&) {
            }
            try {
                std::vector<char> buffer(static_cast<std::size_t>(std::clamp(size, 0, 1 << 20)) + 1);
                EXPECT_LE(reg.ReadBinaryData(name, buffer.data(), static_cast<int>(buffer.size())),
                          static_cast<int>(buffer.size()));
            } catch (const ERegistryException&) {
            }
        }
        const std::vector<std::string> keys = reg.KeyNames();
        for (const std::string& key : keys)
            Walk(reg, path + "\\" + key, depth + 1, budget);
    }

    // Each input goes to a file of its own, so that no input can look like
    // the one before by size and time.
    void Exercise(const std::string& input)
    {
        m_path = m_dir.File("store" + std::to_string(++m_files) + ".ini");
        WriteFileBytes(StorePath(), input);
        SetSettingsStoreFile(StorePath());
        {
            TRegistry reg;
            int budget = 200;
            Walk(reg, "\\", 0, budget);
            EXPECT_EQ(ReadFileBytes(StorePath()), input) << "reading changed the store file";
            // A write lands, or the damaged file is left alone.
            try {
                reg.OpenKey("\\Software\\Robust", true);
                reg.WriteString("Probe", "written");
                SetSettingsStoreFile(StorePath());
                TRegistry check;
                EXPECT_TRUE(check.OpenKeyReadOnly("\\Software\\Robust"));
                EXPECT_EQ(check.ReadString("Probe"), "written");
            } catch (const ERegistryException&) {
                EXPECT_EQ(ReadFileBytes(StorePath()), input) << "a failed write changed the store file";
            }
        }
        SetSettingsStoreFile(m_dir.File("other.ini"));
    }

    TempDir m_dir;
    std::string m_previous;
    std::string m_path;
    int m_files = 0;
};

} // namespace

TEST_F(StoreFixture, MutatedStoreFilesReadOrAreLeftAlone)
{
    const std::string sample = Sample();
    test::Mutator mutator({sample, "[r80000001]\nk=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1)\nx=@ByteArray(abc)\n"},
                          test::FuzzSeed(1601u),
                          {"[", "]", "=", "\n", "\\", "/", "%", "\"", "@Variant(", "@ByteArray(", "@Rect(1 2 3 4)",
                           "@Size(", "@DateTime(", ")", "\\0", "\\x", "_", "s", "i", "b", "FF", ",", ";"});
    for (int i = 0; i < test::FuzzIterations(250); ++i) {
        const std::string input = mutator.Next();
        SCOPED_TRACE("iteration " + std::to_string(i));
        Exercise(input);
        if (::testing::Test::HasFailure())
            break;
    }
}

// Opening a damaged store again (the same file, unchanged) still finds it
// damaged, so the second opening never overwrites it either.
TEST_F(StoreFixture, DamagedStoreStaysDamagedWhenOpenedAgain)
{
    const std::string damaged = "[r80000001]\nk=1\n[open\n";
    WriteFileBytes(StorePath(), damaged);
    for (int round = 0; round < 3; ++round) {
        SetSettingsStoreFile(StorePath());
        TRegistry reg;
        EXPECT_FALSE(reg.KeyExists("Software")) << "round " << round;
        EXPECT_THROW(reg.OpenKey("\\Software\\New", true), ERegistryException) << "round " << round;
        EXPECT_EQ(ReadFileBytes(StorePath()), damaged) << "round " << round;
    }
    // Repaired by a person, the store works again.
    WriteFileBytes(StorePath(), "[r80000001]\n");
    SetSettingsStoreFile(StorePath());
    TRegistry reg;
    EXPECT_TRUE(reg.OpenKey("\\Software\\New", true));
    reg.WriteInteger("x", 5);
    SetSettingsStoreFile(StorePath());
    TRegistry check;
    ASSERT_TRUE(check.OpenKeyReadOnly("\\Software\\New"));
    EXPECT_EQ(check.ReadInteger("x"), 5);
}

// Typed values ("@Variant(...)") are never parsed: the file was not written
// by this store, reads empty and is left alone. Strings that merely hold an
// '@' are no such values.
TEST_F(StoreFixture, TypedValuesMarkTheFileDamaged)
{
    for (const std::string& foreign :
         {std::string("[r80000001]\nk=@Variant(\\0\\0\\0\\tAAAA)\n"), std::string("[r80000001]\nk=s, @DateTime(x)\n"),
          std::string("[r80000001]\nk=\\x40Variant(x)\n"), std::string("[r80000001]\nk=\\100DateTime(x)\n"),
          std::string("[r80000001]\nk= \"@Variant(x)\"\n")}) {
        m_path = m_dir.File("foreign" + std::to_string(++m_files) + ".ini");
        WriteFileBytes(StorePath(), foreign);
        SetSettingsStoreFile(StorePath());
        TRegistry reg;
        EXPECT_TRUE(reg.ValueNames().empty()) << foreign;
        EXPECT_THROW(reg.OpenKey("\\Software", true), ERegistryException) << foreign;
        EXPECT_EQ(ReadFileBytes(StorePath()), foreign);
    }
    m_path = m_dir.File("own.ini");
    SetSettingsStoreFile(StorePath());
    {
        TRegistry reg;
        reg.OpenKey("\\@Key\\a@b", true);
        reg.WriteString("@Variant(x)", "@Variant(\\0)");
        reg.WriteString("list", "x, @y");
        reg.WriteString("nul", std::string("a\0b", 3));   // earlier versions wrote "@String(...)"
    }
    SetSettingsStoreFile(StorePath());
    TRegistry again;
    ASSERT_TRUE(again.OpenKey("\\@Key\\a@b", false));
    EXPECT_EQ(again.ReadString("@Variant(x)"), "@Variant(\\0)");
    EXPECT_EQ(again.ReadString("list"), "x, @y");
    EXPECT_EQ(again.ReadString("nul"), std::string("a\0b", 3));
    again.WriteInteger("still", 1);   // not taken for damaged
}

TEST_F(StoreFixture, KeptInputsReadOrAreLeftAlone)
{
    for (const auto& [name, input] : test::RegressionInputs("registry")) {
        SCOPED_TRACE(name);
        Exercise(input);
    }
}

// Shapes that once reached Qt's typed-value decoder past the old pre-scan
// (long octal and hex escapes spelling '@', a quoted or escaped '=' in a
// key): the file is not one this store writes, reads empty and stays.
TEST_F(StoreFixture, EscapedTypedValuesAndOddKeysMarkTheFileDamaged)
{
    for (const char* name : {"registry-long-octal-escape-at.bin", "registry-long-hex-escape-at.bin",
                             "registry-quoted-equals-in-key.bin", "registry-escaped-equals-in-key.bin"}) {
        std::string input;
        for (const auto& [file, bytes] : test::RegressionInputs("registry"))
            if (file == name)
                input = bytes;
        ASSERT_FALSE(input.empty()) << name;
        m_path = m_dir.File(std::string(name) + ".ini");
        WriteFileBytes(StorePath(), input);
        SetSettingsStoreFile(StorePath());
        TRegistry reg;
        EXPECT_FALSE(reg.KeyExists("\\k")) << name;
        EXPECT_TRUE(reg.KeyNames().empty()) << name;
        EXPECT_THROW(reg.OpenKey("\\Software", true), ERegistryException) << name;
        EXPECT_EQ(ReadFileBytes(StorePath()), input) << name;
    }
}
