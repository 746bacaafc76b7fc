#include "platform/core/Guards.h"
#include "platform/core/Stream.h"
#include "platform/core/Strings.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace qel {
namespace {

using qel::test::Lines;

using V = std::vector<std::string>;

TEST(StringListSorted, KeepsOrderAndAppliesTheDuplicatesPolicy)
{
    TStringList list;
    list.SetSorted(true);
    list.Add("pear");
    list.Add("Apple");
    list.Add("banana");
    EXPECT_EQ(Lines(list), (V{"Apple", "banana", "pear"}));

    // dupIgnore (the default) returns the existing line, case-insensitively.
    EXPECT_EQ(list.Add("APPLE"), 0);
    EXPECT_EQ(list.Count(), 3);

    list.SetDuplicates(dupError);
    EXPECT_EQ(test::MessageOf<EStringListError>([&] { list.Add("Banana"); }), "Duplicates not allowed");
    EXPECT_EQ(list.Count(), 3);

    list.SetDuplicates(dupAccept);
    list.Add("banana");
    EXPECT_EQ(Lines(list), (V{"Apple", "banana", "banana", "pear"}));

    // Sorted lists refuse edits that would break their order.
    EXPECT_THROW(list.Insert(0, "zzz"), EStringListError);
    EXPECT_THROW(list.Put(0, "zzz"), EStringListError);
    EXPECT_THROW(list.Exchange(0, 3), EStringListError);
    EXPECT_EQ(list.IndexOf("PEAR"), 3);
    EXPECT_EQ(list.IndexOf("kiwi"), -1);
}

TEST(StringListSorted, CaseSensitivityDecidesFindAndDuplicates)
{
    TStringList list;
    list.SetCaseSensitive(true);
    list.SetSorted(true);
    list.Add("a");
    list.Add("A");
    EXPECT_EQ(list.Count(), 2);   // different under case-sensitive comparison
    EXPECT_GE(list.IndexOf("A"), 0);
    EXPECT_NE(list.IndexOf("a"), list.IndexOf("A"));

    // Switching to case-insensitive re-sorts; Find then matches either case.
    list.SetCaseSensitive(false);
    int index = -1;
    EXPECT_TRUE(list.Find("a", index));
    EXPECT_EQ(index, 0);

    TStringList unsorted;
    unsorted.Add("b");
    unsorted.Add("B");   // unsorted lists keep duplicates whatever the policy
    unsorted.SetDuplicates(dupError);
    unsorted.Add("b");
    EXPECT_EQ(unsorted.Count(), 3);
    EXPECT_EQ(unsorted.IndexOf("B"), 0);
    // Case folding is not limited to ASCII.
    unsorted.Add("Ärger=1");
    EXPECT_EQ(unsorted.IndexOf("ärger=1"), 3);
    EXPECT_EQ(unsorted.Values("ÄRGER"), "1");
}

TEST(StringList, IndexChecksAndObjectSlots)
{
    TStringList list;
    TObject o1, o2;
    list.AddObject("one", &o1);
    list.AddObject("two", &o2);
    list.Move(0, 1);
    EXPECT_EQ(Lines(list), (V{"two", "one"}));
    EXPECT_EQ(list.Objects(1), &o1);
    EXPECT_EQ(list.IndexOfObject(&o2), 0);
    list.Exchange(0, 1);
    EXPECT_EQ(list.Objects(0), &o1);
    EXPECT_EQ(test::MessageOf<EStringListError>([&] { list.Get(2); }), "List index out of bounds (2)");
    EXPECT_THROW(list.Delete(-1), EStringListError);
    EXPECT_THROW(list.Insert(3, "x"), EStringListError);
    EXPECT_THROW(list.Move(0, 5), EStringListError);
    EXPECT_EQ(list.Count(), 2);

    // A sorted list's AddObject with dupIgnore must not overwrite the
    // existing line's object.
    TStringList sorted;
    sorted.SetSorted(true);
    sorted.AddObject("k", &o1);
    static_cast<TStrings&>(sorted).AddObject("K", &o2);
    EXPECT_EQ(sorted.Objects(0), &o1);
}

TEST(StringList, CustomSortIsStableAndSeesTheListUnchanged)
{
    TStringList list;
    list.SetCommaText("b2,a1,b1,a2");
    list.CustomSort([](TStringList& l, int i1, int i2) {
        return int(l.Strings(i1)[0]) - int(l.Strings(i2)[0]);   // by first letter only
    });
    EXPECT_EQ(Lines(list), (V{"a1", "a2", "b2", "b1"}));
}

TEST(StringsUpdate, EventsFireOnceAtTheOutermostBracket)
{
    TStringList list;
    int changing = 0, changed = 0;
    list.OnChanging = [&](TObject* sender) { ++changing; EXPECT_EQ(sender, &list); };
    list.OnChange = [&](TObject*) { ++changed; };
    list.Add("a");
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 1);

    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("b");
    list.Delete(0);
    list.SetCommaText("x,y,z");
    list.EndUpdate();
    EXPECT_EQ(changed, 1);   // nothing until the outermost EndUpdate
    list.EndUpdate();
    EXPECT_EQ(changing, 2);
    EXPECT_EQ(changed, 2);

    // Bulk operations are one change each.
    list.SetText("1\n2\n3\n");
    EXPECT_EQ(changed, 3);
    list.EndUpdate();   // unbalanced: ignored
    EXPECT_EQ(list.UpdateCount(), 0);
    {
        TUpdateScope scope(list);
        list.Clear();
    }
    EXPECT_EQ(changed, 4);
}

TEST(StringList, AChangeHandlerThatRaisesReachesTheCaller)
{
    // The bracket of a bulk change ends in OnChange; a handler that raises
    // there is reported to the caller instead of ending the program.
    TStringList list;
    list.OnChange = [](TObject*) { throw EStringListError("refused"); };
    TStringList source;
    source.Add("a");
    source.Add("b");
    EXPECT_EQ(test::MessageOf<EStringListError>([&] { list.AddStrings(source); }), "refused");
    EXPECT_EQ(list.UpdateCount(), 0);
    EXPECT_EQ(Lines(list), (V{"a", "b"}));
    list.OnChange = nullptr;
    list.Exchange(0, 1);
    EXPECT_EQ(Lines(list), (V{"b", "a"}));
}

TEST(StringsText, CommaTextQuotesWhatNeedsItAndRoundTrips)
{
    TStringList list;
    list.Add("plain");
    list.Add("two words");
    list.Add("a,b");
    list.Add("say \"hi\"");
    list.Add("");
    list.Add("tab\there");
    list.Add("Größe");
    const std::string text = list.CommaText();
    EXPECT_EQ(text, "plain,\"two words\",\"a,b\",\"say \"\"hi\"\"\",,\"tab\there\",Größe");
    TStringList back;
    back.SetCommaText(text);
    EXPECT_EQ(Lines(back), Lines(list));

    // A single empty line must not read back as an empty list.
    TStringList one;
    one.Add("");
    EXPECT_EQ(one.CommaText(), "\"\"");
    back.SetCommaText(one.CommaText());
    EXPECT_EQ(Lines(back), V{""});
    back.SetCommaText("");
    EXPECT_EQ(back.Count(), 0);
}

TEST(StringsText, CommaTextParsingAcceptsBlanksAndOddInput)
{
    struct Row {
        const char* input;
        V expected;
    } rows[] = {
        {"a b c", {"a", "b", "c"}},          // blanks separate plain items
        {" a ,  b ", {"a", "b"}},            // blanks around commas are skipped
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},                   // a trailing comma ends with an empty item
        {",a", {"", "a"}},
        {"\"x y\"z", {"x y", "z"}},          // text after a closing quote is its own item
        {"\"open", {"open"}},                // unterminated quote runs to the end
        {"\"\"\"\"", {"\""}},
    };
    for (const Row& r : rows) {
        TStringList list;
        list.SetCommaText(r.input);
        EXPECT_EQ(Lines(list), r.expected) << r.input;
    }
}

TEST(StringsText, DelimitedTextUsesDelimiterAndQuoteChar)
{
    TStringList list;
    list.SetDelimiter(';');
    list.SetQuoteChar('\'');
    list.SetDelimitedText("a;'b;c';'it''s'");
    EXPECT_EQ(Lines(list), (V{"a", "b;c", "it's"}));
    EXPECT_EQ(list.DelimitedText(), "a;'b;c';'it''s'");
    EXPECT_EQ(list.CommaText(), "a,b;c,it's");   // CommaText ignores the settings
}

TEST(StringsText, TextReadsAnyLineEndAndWritesCrLf)
{
    TStringList list;
    list.SetText("a\r\nb\nc\rd");
    EXPECT_EQ(Lines(list), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd\r\n");
    list.SetText("x\r\n\r\n");
    EXPECT_EQ(Lines(list), (V{"x", ""}));
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringsNameValue, NamesValuesAndSetValue)
{
    TStringList list;
    list.SetText("Width=100\nCaption=a=b\nnovalue\n");
    EXPECT_EQ(list.Names(0), "Width");
    EXPECT_EQ(list.Names(2), "");
    EXPECT_EQ(list.Values("caption"), "a=b");   // only the first '=' separates
    EXPECT_EQ(list.Values("Height"), "");
    EXPECT_EQ(list.IndexOfName("WIDTH"), 0);
    list.SetValue("Width", "120");
    list.SetValue("Height", "5");
    EXPECT_EQ(Lines(list), (V{"Width=120", "Caption=a=b", "novalue", "Height=5"}));
    list.SetValue("Caption", "");   // an empty value removes the line
    EXPECT_EQ(list.IndexOfName("Caption"), -1);
}

TEST(StringsAssign, CopiesLinesAndObjectsAndSurvivesSelfAssignment)
{
    TObject o;
    TStringList a, b;
    a.AddObject("x", &o);
    a.Add("y");
    b.Add("old");
    b.Assign(&a);
    EXPECT_TRUE(b.Equals(a));
    EXPECT_EQ(b.Objects(0), &o);
    b.Assign(&b);
    EXPECT_EQ(Lines(b), (V{"x", "y"}));
    b.AddStrings(b);
    EXPECT_EQ(Lines(b), (V{"x", "y", "x", "y"}));
    TStringList c;
    c.Add("X");
    EXPECT_FALSE(c.Equals(a));
}

TEST(StringsFiles, SaveAndLoadRoundTripAndFailedLoadKeepsTheList)
{
    test::TempDir dir;
    const std::string path = dir.File("list.txt");
    TStringList list;
    list.SetText("Größe\nzwei");
    list.SaveToFile(path);
    EXPECT_EQ(test::ReadFileBytes(path), "Größe\r\nzwei\r\n");

    test::WriteFileBytes(path, "\xEF\xBB\xBFone\ntwo");
    TStringList loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(Lines(loaded), (V{"one", "two"}));

    EXPECT_THROW(loaded.LoadFromFile(dir.File("missing.txt")), EFOpenError);
    EXPECT_EQ(Lines(loaded), (V{"one", "two"}));

    TMemoryStream stream;
    stream.WriteBytes("head|a\nb");
    stream.SetPosition(5);   // loading reads from the current position
    loaded.LoadFromStream(stream);
    EXPECT_EQ(Lines(loaded), (V{"a", "b"}));
}

} // namespace
} // namespace qel
