// The memory dataset's order: SortOn in AnsiCompareText order, bookmark
// order that no re-sorting changes, and record numbers and bookmarks that
// follow every insert, delete, edit and sort.
#include "DataTestSupport.h"

#include "platform/data/RecordStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>

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

TEST(BookmarkOrder, ARecordInTheReusedPlaceOfADeletedOneIsANewRecord)
{
    Table t;
    t.Fill(5);
    t.ds->Locate("ID", 5, {});
    const TBookmark b5 = t.ds->GetBookmark();
    t.ds->Locate("ID", 2, {});
    const TBookmark b2 = t.ds->GetBookmark();
    t.ds->Delete();
    t.ds->AppendRecord({6, "Name6"});   // takes the deleted record's storage
    const TBookmark b6 = t.ds->GetBookmark();
    EXPECT_FALSE(t.ds->BookmarkValid(b2));
    EXPECT_THROW(t.ds->GotoBookmark(b2), EDatabaseError);
    EXPECT_NE(t.ds->CompareBookmarks(b2, b6), 0);
    // Posted after every other record, so its bookmark sorts after theirs.
    EXPECT_GT(t.ds->CompareBookmarks(b6, b5), 0);
    EXPECT_LT(t.ds->CompareBookmarks(b2, b5), 0);
    t.ds->GotoBookmark(b5);
    EXPECT_EQ(t.Id(), 5);
    t.ds->GotoBookmark(b6);
    EXPECT_EQ(t.Id(), 6);
    EXPECT_EQ(t.ds->RecNo(), 5);
}

// --- record numbers ---------------------------------------------------------------------

TEST(RecordPositions, FollowRandomInsertsDeletesEditsAndSorts)
{
    std::mt19937 rng(11);
    Table t;
    t.Fill(0);
    std::vector<int> order;   // ids in dataset order
    std::map<int, double> amount;
    std::map<int, TBookmark> marks;
    std::vector<TBookmark> deleted;
    bool sorted = false;
    int next = 1;
    auto sortedPlace = [&](int Id) {
        return std::upper_bound(order.begin(), order.end(), Id,
                                [&](int A, int B) { return amount[A] < amount[B]; });
    };
    auto randomId = [&] { return order[rng() % order.size()]; };
    auto expectAt = [&](int Id, const std::string& What) {
        t.ds->GotoBookmark(marks[Id]);
        EXPECT_EQ(t.Id(), Id) << What;
        EXPECT_EQ(t.ds->RecNo(), std::find(order.begin(), order.end(), Id) - order.begin() + 1) << What;
    };
    for (int step = 0; step < 1500; ++step) {
        const std::string what = "step " + std::to_string(step);
        const unsigned op = rng() % 10;
        if (op < 3 || order.empty()) {
            const int id = next++;
            amount[id] = static_cast<double>(rng() % 20);
            t.ds->AppendRecord({id, "n", "c", amount[id]});
            order.insert(sorted ? sortedPlace(id) : order.end(), id);
            marks[id] = t.ds->GetBookmark();
        } else if (op < 5 && !sorted) {
            const int before = randomId();
            const int id = next++;
            amount[id] = static_cast<double>(rng() % 20);
            t.ds->GotoBookmark(marks[before]);
            t.ds->InsertRecord({id, "n", "c", amount[id]});
            order.insert(std::find(order.begin(), order.end(), before), id);
            marks[id] = t.ds->GetBookmark();
        } else if (op < 7) {
            const int id = randomId();
            t.ds->GotoBookmark(marks[id]);
            t.ds->Delete();
            order.erase(std::find(order.begin(), order.end(), id));
            deleted.push_back(marks[id]);
            marks.erase(id);
        } else if (op < 9) {
            const int id = randomId();
            const double value = static_cast<double>(rng() % 20);
            t.ds->GotoBookmark(marks[id]);
            t.ds->Edit();
            t.ds->FieldByName("AMOUNT")->SetAsFloat(value);
            t.ds->Post();
            if (sorted && value != amount[id]) {
                order.erase(std::find(order.begin(), order.end(), id));
                amount[id] = value;
                order.insert(sortedPlace(id), id);
            }
            amount[id] = value;
            EXPECT_EQ(t.ds->RecNo(), std::find(order.begin(), order.end(), id) - order.begin() + 1) << what;
        } else {
            sorted = !sorted;
            t.ds->SortOn(sorted ? "AMOUNT" : "");
            if (sorted)
                std::stable_sort(order.begin(), order.end(), [&](int A, int B) { return amount[A] < amount[B]; });
        }
        for (int k = 0; k < 3 && !order.empty(); ++k)
            expectAt(randomId(), what);
        if (step % 100 == 99) {
            std::vector<int> walked;
            for (t.ds->First(); !t.ds->Eof(); t.ds->Next())
                walked.push_back(t.Id());
            ASSERT_EQ(walked, order) << what;
            for (const TBookmark& b : deleted)
                EXPECT_FALSE(t.ds->BookmarkValid(b)) << what;
        }
    }
}

} // namespace
} // namespace qel::test
