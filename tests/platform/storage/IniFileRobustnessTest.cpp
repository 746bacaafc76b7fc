// INI files after damage on disk: every mutated file reads without crashing,
// and one written back reads the same.
#include "platform/core/Strings.h"
#include "platform/storage/IniFile.h"

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

// Every section with its "key=value" lines, in file order.
std::vector<std::pair<std::string, std::vector<std::string>>> Contents(TCustomIniFile& ini)
{
    std::vector<std::pair<std::string, std::vector<std::string>>> out;
    TStringList sections;
    ini.ReadSections(sections);
    for (const std::string& section : Lines(sections)) {
        TStringList values;
        ini.ReadSectionValues(section, values);
        out.emplace_back(section, Lines(values));
        TStringList keys;
        ini.ReadSection(section, keys);
        for (const std::string& key : Lines(keys)) {
            (void)ini.ReadInteger(section, key, 0);
            (void)ini.ReadBool(section, key, false);
            (void)ini.ReadFloat(section, key, 0);
        }
    }
    return out;
}

void ExerciseIni(const std::string& input, const TempDir& dir)
{
    const std::string path = dir.File("fuzz.ini");
    WriteFileBytes(path, input);
    TMemIniFile mem(path);
    const auto contents = Contents(mem);
    TIniFile direct(path);
    EXPECT_EQ(Contents(direct), contents) << "the two readers disagree";

    // Written back whole, the file reads the same.
    mem.UpdateFile();
    TMemIniFile again(path);
    EXPECT_EQ(Contents(again), contents) << "an update changed what the file says";
}

std::string IniSample()
{
    return "\xEF\xBB\xBF; settings\r\n[Layout]\r\nWidth=640\r\nRatio=1,5\r\nName=\"  quoted  \"\r\n"
           "Hex=0x7FFFFFFF\r\n# note\r\n[Empty]\r\n[Dup]\r\na='x'\r\na=second\r\n[Layout]\r\nMore=merged\r\n";
}

} // namespace

TEST(StorageRobustness, MutatedIniFilesReadAndWriteBackTheSame)
{
    TempDir dir;
    test::Mutator mutator({IniSample(), "[A]\nk=v\n[B]\r\nx = y \r\n", "[\xE4rger]\nS\xFC\xDF=\xA4\n"},
                          test::FuzzSeed(8086u), {"[", "]", "=", "\r\n", "\n", "\r", ";", "#", "\"", "'", " ", "\t",
                                                  "\xEF\xBB\xBF", "\xC3", "\x80", "[]", "=="});
    for (int i = 0; i < test::FuzzIterations(500); ++i) {
        const std::string input = mutator.Next();
        SCOPED_TRACE("iteration " + std::to_string(i));
        try {
            ExerciseIni(input, dir);
        } catch (const EIniFileException&) {
        }
        if (::testing::Test::HasFailure())
            break;
    }
}

// A section repeated after others were added: its keys merge into the
// first one, and a key given twice keeps its first value only.
TEST(StorageRobustness, RepeatedSectionKeepsTheFirstOfADuplicateKey)
{
    TempDir dir;
    const std::string path = dir.File("dup.ini");
    WriteFileBytes(path, "[A]\nk=1\n[B]\n[C]\n[A]\nk=2\nj=3\n[B]\nx=1\n[b]\nx=2\n");
    TMemIniFile ini(path);
    TStringList values;
    ini.ReadSectionValues("A", values);
    EXPECT_EQ(Lines(values), (std::vector<std::string>{"k=1", "j=3"}));
    ini.ReadSectionValues("B", values);
    EXPECT_EQ(Lines(values), (std::vector<std::string>{"x=1"}));
}

TEST(StorageRobustness, KeptIniFilesReadAndWriteBackTheSame)
{
    TempDir dir;
    for (const auto& [name, input] : test::RegressionInputs("ini")) {
        SCOPED_TRACE(name);
        ExerciseIni(input, dir);
    }
}
