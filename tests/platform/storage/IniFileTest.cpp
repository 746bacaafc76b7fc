#include "platform/storage/IniFile.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Strings.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace qel;
using qel::test::Lines;
using qel::test::ReadFileBytes;
using qel::test::TempDir;
using qel::test::WriteFileBytes;

TEST(IniFile, MemIniRoundTripKeepsCaseOrderAndTypes)
{
    TempDir dir;
    std::string path = dir.File("layout.ini");
    {
        TMemIniFile ini(path);
        ini.WriteString("Grid", "ShowGroupPanel", "1");
        ini.WriteInteger("Grid", "Width", -120);
        ini.WriteBool("Grid", "ShowRowFooter", false);
        ini.WriteFloat("Grid", "Zoom", 2.5);
        ini.WriteString("Column.Name", "Caption", "Straße = Länge");
        ini.WriteString("grid", "SHOWGROUPPANEL", "0");   // same key, other case
        EXPECT_FALSE(std::filesystem::exists(path));   // nothing on disk before UpdateFile
        ini.UpdateFile();
    }
    EXPECT_EQ(ReadFileBytes(path),
              "[Grid]\r\nShowGroupPanel=0\r\nWidth=-120\r\nShowRowFooter=0\r\nZoom=2.5\r\n"
              "\r\n[Column.Name]\r\nCaption=Straße = Länge\r\n");

    TMemIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("GRID", "width", 0), -120);
    EXPECT_FALSE(ini.ReadBool("grid", "ShowRowFooter", true));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Grid", "Zoom", 0), 2.5);
    EXPECT_EQ(ini.ReadString("column.name", "caption", ""), "Straße = Länge");
    EXPECT_EQ(ini.ReadString("Grid", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("Missing", "Zoom", "dflt"), "dflt");
}

TEST(IniFile, ValuesWithOuterBlanksOrQuotesReadBackAsWritten)
{
    TempDir dir;
    std::string path = dir.File("quotes.ini");
    const std::vector<std::string> values = {", ", " lead", "trail\t", "\"quoted\"", "'single'", "\"", "a \"b\" c", ""};
    {
        TMemIniFile mem(path);
        for (std::size_t i = 0; i < values.size(); ++i)
            mem.WriteString("S", "K" + std::to_string(i), values[i]);
        mem.UpdateFile();
    }
    TMemIniFile mem(path);
    TIniFile ini(path);
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(mem.ReadString("S", "K" + std::to_string(i), "?"), values[i]) << i;
        EXPECT_EQ(ini.ReadString("S", "K" + std::to_string(i), "?"), values[i]) << i;
    }
    ini.WriteString("S", "Sep", " - ");
    EXPECT_EQ(TMemIniFile(path).ReadString("S", "Sep", "?"), " - ");
    TStringList lines;
    ini.ReadSectionValues("S", lines);
    EXPECT_EQ(lines.Values("K0"), ", ");
    // A quoted value written by a person reads without its quotes.
    WriteFileBytes(path, "[S]\r\nName = \"Smith, J.\" \r\nPlain=a'b'\r\n");
    TMemIniFile hand(path);
    EXPECT_EQ(hand.ReadString("S", "Name", ""), "Smith, J.");
    EXPECT_EQ(hand.ReadString("S", "Plain", ""), "a'b'");
}

TEST(IniFile, TypedReadsAcceptPrefixesAndFallBackOnBadText)
{
    TempDir dir;
    std::string path = dir.File("t.ini");
    WriteFileBytes(path, "[N]\nhex1=0x1F\nhex2=$FF\nhexneg=$FFFFFFFF\nspaced=  12  \nbad=12abc\n"
                         "huge=99999999999\nempty=\nf1=1.25\nf2=1,25\nf3=abc\nb1=1\nb0=0\nb5=5\nbx=yes\n");
    TMemIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("N", "hex1", 0), 31);
    EXPECT_EQ(ini.ReadInteger("N", "hex2", 0), 255);
    EXPECT_EQ(ini.ReadInteger("N", "hexneg", 0), -1);
    EXPECT_EQ(ini.ReadInteger("N", "spaced", 0), 12);
    EXPECT_EQ(ini.ReadInteger("N", "bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger("N", "huge", 7), 7);
    EXPECT_EQ(ini.ReadInteger("N", "empty", 7), 7);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("N", "f1", 0), 1.25);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("N", "f2", 0), 1.25);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("N", "f3", 9.5), 9.5);
    EXPECT_TRUE(ini.ReadBool("N", "b1", false));
    EXPECT_FALSE(ini.ReadBool("N", "b0", true));
    EXPECT_TRUE(ini.ReadBool("N", "b5", false));
    EXPECT_TRUE(ini.ReadBool("N", "bx", true));
    EXPECT_FALSE(ini.ReadBool("N", "bx", false));
}

TEST(IniFile, OddContentNeverCrashesAndReadsSensibly)
{
    TempDir dir;
    std::string path = dir.File("odd.ini");
    WriteFileBytes(path, "\xEF\xBB\xBF"
                         "orphan=before any section\r\n"
                         "; a comment\r\n"
                         "[ First ]\r\n"
                         "key = value \r\n"
                         "just some text\n"
                         "=no key\r"
                         "[broken\n"
                         "Key=second wins? no\n"
                         "[Second]\n"
                         "a=1\n"
                         "[FIRST]\n"
                         "Other=merged\n"
                         "# kept too\n"
                         "[]\n"
                         "x=in unnamed section\n");
    TMemIniFile ini(path);
    EXPECT_EQ(ini.ReadString("first", "KEY", ""), "value");
    EXPECT_EQ(ini.ReadString("First", "Other", ""), "merged");
    EXPECT_FALSE(ini.ValueExists("First", "orphan"));

    TStringList sections;
    ini.ReadSections(sections);
    EXPECT_EQ(Lines(sections), (std::vector<std::string>{"First", "Second", ""}));
    TStringList keys;
    ini.ReadSection("First", keys);
    EXPECT_EQ(Lines(keys), (std::vector<std::string>{"key", "Other"}));
    TStringList values;
    ini.ReadSectionValues("first", values);
    EXPECT_EQ(Lines(values), (std::vector<std::string>{"key=value", "Other=merged"}));

    // Comments survive an update; the junk does not come back.
    ini.WriteString("Second", "b", "2");
    ini.UpdateFile();
    EXPECT_EQ(ReadFileBytes(path), "; a comment\r\n\r\n[First]\r\nkey=value\r\nOther=merged\r\n# kept too\r\n"
                                   "\r\n[Second]\r\na=1\r\nb=2\r\n\r\n[]\r\nx=in unnamed section\r\n");
}

TEST(IniFile, NonUtf8FileIsReadAsWindows1252)
{
    TempDir dir;
    std::string path = dir.File("ansi.ini");
    WriteFileBytes(path, "[\xC4nderung]\nName=M\xFCller \x80\n");
    TMemIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Änderung", "name", ""), "Müller €");
    // Case-insensitive beyond ASCII too.
    EXPECT_EQ(ini.ReadString("äNDERUNG", "NAME", "none"), "Müller €");
}

TEST(IniFile, EditingSectionsAndKeys)
{
    TempDir dir;
    TMemIniFile ini(dir.File("e.ini"));
    ini.WriteString("A", "x", "1");
    ini.WriteString("A", "y", "2");
    ini.WriteString("B", "z", "3");
    EXPECT_TRUE(ini.SectionExists("a"));
    EXPECT_TRUE(ini.ValueExists("A", "Y"));
    ini.DeleteKey("a", "X");
    EXPECT_FALSE(ini.ValueExists("A", "x"));
    EXPECT_EQ(ini.ReadString("A", "y", ""), "2");
    ini.EraseSection("A");
    EXPECT_FALSE(ini.SectionExists("A"));
    EXPECT_EQ(ini.ReadString("B", "z", ""), "3");
    ini.DeleteKey("Nothing", "here");   // harmless
    ini.EraseSection("Nothing");
}

TEST(IniFile, NamesThatWouldNotReadBackAreRefused)
{
    TempDir dir;
    TMemIniFile ini(dir.File("n.ini"));
    EXPECT_THROW(ini.WriteString("S", "a=b", "v"), EIniFileException);
    EXPECT_THROW(ini.WriteString("S", ";key", "v"), EIniFileException);
    EXPECT_THROW(ini.WriteString("S", "", "v"), EIniFileException);
    EXPECT_THROW(ini.WriteString("S\nT", "k", "v"), EIniFileException);
    EXPECT_THROW(ini.WriteString("S", "k", "two\nlines"), EIniFileException);
    EXPECT_FALSE(ini.SectionExists("S"));
}

// One text that is not UTF-8 would make the next read take the whole file
// for Windows-1252 and garble every other non-ASCII text in it.
TEST(IniFile, TextThatIsNotUtf8IsRefusedAndTheFileStaysReadable)
{
    TempDir dir;
    const std::string path = dir.File("u.ini");
    TIniFile ini(path);
    ini.WriteString("Größe", "Ort", "Köln");
    EXPECT_THROW(ini.WriteString("Größe", "Alt", "K\xF6ln"), EIniFileException);
    EXPECT_THROW(ini.WriteString("Größe", "K\xF6ln", "x"), EIniFileException);
    EXPECT_THROW(ini.WriteString("Gr\xF6\xDF" "e", "Ort", "x"), EIniFileException);
    TMemIniFile again(path);
    EXPECT_EQ(again.ReadString("größe", "Ort", ""), "Köln");
    EXPECT_FALSE(again.ValueExists("Größe", "Alt"));
}

TEST(IniFile, IniFileWritesThroughAndSeesOtherWriters)
{
    TempDir dir;
    std::string path = dir.File("live.ini");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("S", "k", "none"), "none");
    ini.WriteString("S", "k", "1");
    EXPECT_EQ(ReadFileBytes(path), "[S]\r\nk=1\r\n");

    // Another program rewrites the file (a different size, so the change shows).
    WriteFileBytes(path, "[S]\nk=22\n[T]\nm=3\n");
    EXPECT_EQ(ini.ReadString("s", "K", ""), "22");
    ini.DeleteKey("S", "k");
    EXPECT_EQ(ReadFileBytes(path), "[S]\r\n\r\n[T]\r\nm=3\r\n");
    ini.EraseSection("T");
    EXPECT_FALSE(TMemIniFile(path).SectionExists("T"));
}

TEST(IniFile, FailedWritesLeaveTheOldFile)
{
    TempDir dir;
    // A directory that does not exist: nothing can be created.
    TIniFile nowhere(dir.File("missing/dir/x.ini"));
    EXPECT_THROW(nowhere.WriteString("S", "k", "v"), EIniFileException);
    EXPECT_EQ(nowhere.ReadString("S", "k", "none"), "none");

    // A write that fails half-way (file size limit): the old file stays whole.
    std::string path = dir.File("old.ini");
    WriteFileBytes(path, "[Old]\r\nk=v\r\n");
    TMemIniFile ini(path);
    ini.WriteString("New", "big", std::string(4096, 'x'));
    TIniFile live(path);

    bool memFailed = false;
    bool liveFailed = false;
    {
        test::FileSizeLimit limit(1024);
        try {
            ini.UpdateFile();
        } catch (const EIniFileException&) {
            memFailed = true;
        }
        try {
            live.WriteString("Old", "big", std::string(4096, 'y'));
        } catch (const EIniFileException&) {
            liveFailed = true;
        }
    }

    EXPECT_TRUE(memFailed);
    EXPECT_TRUE(liveFailed);
    EXPECT_EQ(ReadFileBytes(path), "[Old]\r\nk=v\r\n");
    EXPECT_EQ(live.ReadString("Old", "big", "none"), "none");
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename(), "old.ini") << "temporary left behind";
}
