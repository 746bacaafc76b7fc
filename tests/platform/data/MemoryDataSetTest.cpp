// The memory dataset's order: SortOn in AnsiCompareText order, and bookmark
// order that no re-sorting changes.
#include "DataTestSupport.h"

#include "platform/data/RecordStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace qel::test {
namespace {

// --- sorting ----------------------------------------------------------------------

// Texts where a collator and a byte compare disagree: case, umlauts, ß,
// digits, punctuation, an ignorable soft hyphen, long texts and Null.
const std::vector<std::string> kAwkwardTexts = {
    "Zebra", "apfel", "Äpfel", "Apfel", "äpfel", "Straße", "Strasse", "STRASSE", "strasse", "10", "9",
    "a-b", "ab", "a b", "a\xC2\xAD" "b", "Öl", "Ol", "oel", "Ölkanne und sehr viel mehr Text", "z", "Z", "",
    "a", "A", "apfel", "Ägypten", "Aegypten", "éclair", "Eclair", "ĳ", "ij", "Zebra",
};

// A column as users fill one: names repeated in every case, sharing long
// prefixes, a few with umlauts, some empty.
std::vector<std::string> RepeatedColumn()
{
    std::vector<std::string> texts;
    for (int i = 0; i < 300; ++i) {
        std::string t = (i % 3 ? "Door " : "Customer account number ") + std::to_string(i % 23);
        if (i % 4 == 0)
            t = UpperCase(t);
        if (i % 29 == 0)
            t = "Tür " + std::to_string(i % 3);
        if (i % 31 == 0)
            t.clear();
        texts.push_back(t);
    }
    return texts;
}

TEST(SortOn, TextsSortAsAnsiCompareTextWithEqualValuesInPostingOrder)
{
    for (const std::vector<std::string>& texts : {kAwkwardTexts, RepeatedColumn()}) {
        for (const bool descending : {false, true}) {
            Table t;
            t.ds->Open();
            for (std::size_t i = 0; i < texts.size(); ++i)
                t.ds->AppendRecord({static_cast<int>(i), texts[i]});   // "" is stored as Null
            std::vector<int> expected(texts.size());
            for (std::size_t i = 0; i < expected.size(); ++i)
                expected[i] = static_cast<int>(i);
            std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
                const std::string& x = texts[static_cast<std::size_t>(a)];
                const std::string& y = texts[static_cast<std::size_t>(b)];
                int c;
                if (x.empty() || y.empty())
                    c = x.empty() == y.empty() ? 0 : x.empty() ? -1 : 1;   // Null first
                else
                    c = AnsiCompareText(x, y);
                return (descending ? -c : c) < 0;
            });
            t.ds->SortOn("NAME", descending);
            std::vector<int> actual;
            for (t.ds->First(); !t.ds->Eof(); t.ds->Next())
                actual.push_back(t.Id());
            EXPECT_EQ(actual, expected) << (descending ? "descending" : "ascending");

            // A record posted afterwards goes where the same comparison puts it.
            t.ds->AppendRecord({1000, "apfel"});
            t.ds->Locate("ID", 1000, {});
            const int place = t.ds->RecNo();
            t.ds->SetRecNo(place - 1);
            const std::string before = t.ds->FieldByName("NAME")->AsString();
            const int c = before.empty() ? -1 : AnsiCompareText(before, "apfel");
            EXPECT_LE(descending ? -c : c, 0);
        }
    }
}

TEST(SortOn, NumbersAndDatesSortByValue)
{
    Table t;
    t.ds->Open();
    const std::vector<double> amounts = {3.5, -1, 1e10, 0, -1e-3, 2};
    for (std::size_t i = 0; i < amounts.size(); ++i)
        t.ds->AppendRecord({static_cast<int>(i), Variant(), Variant(), amounts[i]});
    t.ds->AppendRecord({99});   // AMOUNT Null: first
    t.ds->SortOn("AMOUNT");
    std::vector<double> seen;
    t.ds->First();
    EXPECT_TRUE(t.ds->FieldByName("AMOUNT")->IsNull());
    for (t.ds->Next(); !t.ds->Eof(); t.ds->Next())
        seen.push_back(t.ds->FieldByName("AMOUNT")->AsFloat());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.size(), amounts.size());
}

// --- bookmark order -------------------------------------------------------------------

TEST(BookmarkOrder, ASortedBookmarkListStaysSortedWhateverHappensToTheDataSet)
{
    Table t;
    t.Fill(50);
    std::vector<TBookmark> marks;
    for (int id : {17, 3, 42, 8, 50, 1, 29})
        if (t.ds->Locate("ID", id, {}))
            marks.push_back(t.ds->GetBookmark());
    auto less = [&](const TBookmark& a, const TBookmark& b) { return t.ds->CompareBookmarks(a, b) < 0; };
    std::sort(marks.begin(), marks.end(), less);
    const std::vector<TBookmark> sorted = marks;
    auto stillSorted = [&](const char* what) {
        EXPECT_TRUE(std::is_sorted(marks.begin(), marks.end(), less)) << what;
        for (const TBookmark& b : sorted)
            EXPECT_TRUE(std::binary_search(marks.begin(), marks.end(), b, less)) << what;
        for (std::size_t i = 0; i + 1 < marks.size(); ++i)
            EXPECT_EQ(t.ds->CompareBookmarks(marks[i + 1], marks[i]), 1) << what;
    };
    t.ds->SortOn("NAME", true);
    stillSorted("sorted on NAME");
    t.ds->SortOn("AMOUNT", true);
    stillSorted("sorted on AMOUNT");
    t.ds->SetFilter("ID > 20");
    t.ds->SetFiltered(true);
    stillSorted("filtered");
    t.ds->SetFiltered(false);
    t.ds->Locate("ID", 8, {});
    t.ds->Delete();   // a deleted record's bookmark keeps its place
    stillSorted("one deleted");
    t.ds->Close();
    stillSorted("closed");
    EXPECT_EQ(t.ds->CompareBookmarks(sorted.front(), ""), -1);
}

} // namespace
} // namespace qel::test
