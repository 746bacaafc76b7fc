// The memory dataset's storage and read path: values read back with their
// exact Variant type, SortOn in AnsiCompareText order, the record reader,
// and bookmark order that no re-sorting changes.
#include "DataTestSupport.h"

#include "platform/data/RecordStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace qel::test {
namespace {

void ExpectSame(const Variant& Actual, const Variant& Expected, const std::string& What)
{
    EXPECT_EQ(Actual.VarType(), Expected.VarType()) << What;
    EXPECT_EQ(Variant::Compare(Actual, Expected), 0) << What;
}

// --- the column store -----------------------------------------------------------

TEST(RecordStore, EveryColumnKindReadsBackExactly)
{
    TRecordStore store;
    store.Define({ftSmallint, ftInteger, ftLargeint, ftBoolean, ftFloat, ftDate, ftBCD, ftString, ftWideString,
                  ftMemo});
    const std::string longText(200, 'x');
    const std::vector<std::vector<Variant>> rows = {
        {Variant::FromSmallint(-32768), Variant(INT32_MIN), Variant(std::int64_t{INT64_MAX}), Variant(true),
         Variant(-0.5), Variant::FromDate(45000.25), Variant(Currency::FromInt64(-123456789)),
         Variant("exactly12byt"), Variant::FromWideString("Größe"), Variant(longText)},
        {Variant::FromSmallint(7), Variant(0), Variant(std::int64_t{-1}), Variant(false),
         Variant(std::numeric_limits<double>::quiet_NaN()), Variant::FromDate(-1.5), Variant(Currency{}),
         Variant("thirteen byte"), Variant::FromWideString(longText), Variant("ä")},
        // All Null; then values of an unusual type for their column, kept as they are.
        std::vector<Variant>(10, Variant::Null()),
        {Variant(5), Variant("text"), Variant(), Variant(1.0), Variant(7), Variant(2.0), Variant(3.0),
         Variant(12), Variant("narrow"), Variant::Array({Variant(1), Variant("a")})},
    };
    std::vector<TRecordStore::TSlot> slots;
    for (const auto& row : rows)
        slots.push_back(store.Add(row));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 10; ++c)
            ExpectSame(store.Value(slots[r], c), rows[r][static_cast<std::size_t>(c)],
                       "row " + std::to_string(r) + " column " + std::to_string(c));
    EXPECT_TRUE(std::isnan(store.Value(slots[1], 4).AsDouble()));
    std::string_view text;
    ASSERT_TRUE(store.TextView(slots[0], 9, text));
    EXPECT_EQ(text, longText);
    ASSERT_TRUE(store.TextView(slots[2], 7, text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(store.TextView(slots[3], 7, text));   // kept aside: read Value
    EXPECT_FALSE(store.TextView(slots[0], 1, text));   // not a text column
    EXPECT_TRUE(store.IsNull(slots[2], 3));
    EXPECT_FALSE(store.IsNull(slots[3], 2));           // Empty is not Null

    // Overwriting a long text with a short one and the other way round, and
    // reusing a removed record's slot, leave no trace of the old values.
    store.Set(slots[0], rows[1]);
    ExpectSame(store.Value(slots[0], 9), Variant("ä"), "overwritten");
    store.Remove(slots[1]);
    const TRecordStore::TSlot reused = store.Add({});
    EXPECT_EQ(reused, slots[1]);
    for (int c = 0; c < 10; ++c)
        EXPECT_TRUE(store.IsNull(reused, c)) << c;
}

TEST(RecordStore, CompareAgreesWithVariantCompare)
{
    TRecordStore store;
    store.Define({ftSmallint, ftBoolean, ftFloat, ftString, ftCurrency});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::vector<Variant>> rows = {
        {Variant::FromSmallint(-2), Variant(true), Variant(nan), Variant("Zebra"), Variant(1.5)},
        {Variant::FromSmallint(3), Variant(false), Variant(-1e300), Variant("apfel"), Variant(-0.0)},
        {Variant::Null(), Variant::Null(), Variant(0.0), Variant("\xC3\xA4"), Variant::Null()},
        {Variant::FromSmallint(3), Variant(true), Variant(nan), Variant("Zebra"), Variant(0.0)},
        {Variant::FromSmallint(0), Variant::Null(), Variant(2.0), Variant::Null(), Variant(7)},
    };
    std::vector<TRecordStore::TSlot> slots;
    for (const auto& row : rows)
        slots.push_back(store.Add(row));
    for (int c = 0; c < 5; ++c)
        for (std::size_t a = 0; a < rows.size(); ++a)
            for (std::size_t b = 0; b < rows.size(); ++b)
                EXPECT_EQ(store.Compare(slots[a], slots[b], c),
                          Variant::Compare(store.Value(slots[a], c), store.Value(slots[b], c)))
                    << "column " << c << " rows " << a << ", " << b;
}

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

// --- the record reader --------------------------------------------------------------

class ReaderTest : public ::testing::Test {
protected:
    Table t;
    RecordingLink link;
    int scrolls = 0;
    void SetUp() override
    {
        link.SetDataSource(t.src);
        link.SetBufferCount(5);
        t.Fill(20);
        t.ds->MoveBy(7);
        t.ds->BeforeScroll = [this](TDataSet*) { ++scrolls; };
        t.ds->AfterScroll = [this](TDataSet*) { ++scrolls; };
        link.Clear();
    }
};

TEST_F(ReaderTest, ReadsTheFilteredRecordsInOrderWithoutTouchingTheCursor)
{
    t.ds->SetFilter("CITY = 'Köln'");   // even IDs
    t.ds->SetFiltered(true);
    t.ds->SortOn("ID", true);
    t.ds->Locate("ID", 8, {});
    link.Clear();
    scrolls = 0;
    TField* id = t.ds->FieldByName("ID");
    TField* name = t.ds->FieldByName("NAME");
    TField* amount = t.ds->FieldByName("AMOUNT");
    const auto reader = t.ds->CreateRecordReader();
    ASSERT_EQ(reader->Count(), 10);
    for (int i = 0; i < 10; ++i) {
        const auto h = reader->Handle(i);
        const int expected = 20 - 2 * i;
        EXPECT_EQ(reader->Value(h, id).AsInteger(), expected);
        EXPECT_EQ(reader->Text(h, name), "Name" + std::to_string(expected));
        EXPECT_EQ(reader->Text(h, id), std::to_string(expected));
        EXPECT_EQ(reader->Value(h, amount).VarType(), varDouble);
        EXPECT_FALSE(reader->IsNull(h, amount));
        if (i > 0) {
            EXPECT_GT(reader->Compare(reader->Handle(i - 1), h, id), 0);
        }
    }
    EXPECT_EQ(t.Id(), 8);
    EXPECT_EQ(t.ds->State(), dsBrowse);
    EXPECT_TRUE(link.Log.empty());
    EXPECT_EQ(scrolls, 0);

    // A handle's bookmark leads to its record.
    t.ds->GotoBookmark(reader->Bookmark(reader->Handle(9)));
    EXPECT_EQ(t.Id(), 2);
    EXPECT_THROW(reader->Handle(10), EListError);
    EXPECT_THROW(reader->Handle(-1), EListError);
}

TEST_F(ReaderTest, TheBaseReaderReadsTheSameThroughTheCursorHooks)
{
    // The base class's reader serves datasets without a reader of their own.
    t.ds->SetFilter("ID > 4");
    t.ds->SetFiltered(true);
    t.ds->SortOn("AMOUNT", true);
    t.ds->Locate("ID", 9, {});
    link.Clear();
    scrolls = 0;
    const auto own = t.ds->CreateRecordReader();
    const auto base = t.ds->TDataSet::CreateRecordReader();
    ASSERT_EQ(base->Count(), own->Count());
    ASSERT_EQ(base->Count(), 16);
    for (int i = 0; i < base->Count(); ++i) {
        const auto b = base->Handle(i);
        const auto o = own->Handle(i);
        EXPECT_EQ(base->Bookmark(b), own->Bookmark(o));
        for (TField* f : t.ds->Fields()) {
            EXPECT_EQ(Variant::Compare(base->Value(b, f), own->Value(o, f)), 0);
            EXPECT_EQ(base->Text(b, f), own->Text(o, f));
        }
        if (i > 0) {
            EXPECT_EQ(base->Compare(base->Handle(i - 1), b, t.ds->Fields(0)),
                      own->Compare(own->Handle(i - 1), o, t.ds->Fields(0)));
        }
    }
    EXPECT_EQ(t.Id(), 9);
    t.ds->Next();   // the cursor the hooks walked is back where the dataset was
    EXPECT_EQ(t.Id(), 8);
    EXPECT_EQ(scrolls, 2);
    t.ds->AppendRecord({100});
    EXPECT_THROW(base->Count(), EDatabaseError);
}

TEST_F(ReaderTest, ARecordViewShowsAStoredRecordThroughTheFieldsAndLeavesEverythingElse)
{
    TField* id = t.ds->FieldByName("ID");
    TField* name = t.ds->FieldByName("NAME");
    TField* amount = t.ds->FieldByName("AMOUNT");
    name->OnGetText = [](TField* Sender, std::string& Text, bool) { Text = "<" + Sender->AsString() + ">"; };
    const auto reader = t.ds->CreateRecordReader();
    const TBookmark third = reader->Bookmark(reader->Handle(2));
    const TBookmark fifth = reader->Bookmark(reader->Handle(4));
    ASSERT_EQ(t.Id(), 8);
    {
        TRecordView view(*t.ds, third);
        EXPECT_EQ(id->AsInteger(), 3);
        EXPECT_EQ(name->DisplayText(), "<Name3>");
        EXPECT_EQ(amount->DisplayText(), "4,5");
        {
            TRecordView inner(*t.ds, fifth);   // views nest
            EXPECT_EQ(id->AsInteger(), 5);
        }
        EXPECT_EQ(id->AsInteger(), 3);
        EXPECT_EQ(t.ds->State(), dsBrowse);
    }
    EXPECT_EQ(t.Id(), 8);
    EXPECT_TRUE(link.Log.empty());
    EXPECT_EQ(scrolls, 0);

    // An edit in progress stays whole; the view shows what is stored.
    t.ds->Edit();
    name->SetAsString("Changed");
    {
        TRecordView view(*t.ds, third);
        EXPECT_EQ(name->AsString(), "Name3");
        EXPECT_THROW(name->SetAsString("x"), EDatabaseError);
    }
    EXPECT_EQ(name->AsString(), "Changed");
    t.ds->Cancel();

    // Calculated fields are calculated for the record shown.
    t.ds->Close();
    TField* doubled = t.ds->AddCalculatedField("TWICE", ftInteger);
    t.ds->OnCalcFields = [](TDataSet* Ds) {
        Ds->FieldByName("TWICE")->SetAsInteger(Ds->FieldByName("ID")->AsInteger() * 2);
    };
    t.Fill(3);
    ASSERT_TRUE(t.ds->Locate("ID", 2, {}));
    const TBookmark second = t.ds->GetBookmark();
    t.ds->First();
    {
        TRecordView view(*t.ds, second);
        EXPECT_EQ(doubled->AsInteger(), 4);
    }
    EXPECT_EQ(doubled->AsInteger(), 2);   // the cursor's record again

    // A record that is gone cannot be shown.
    t.ds->GotoBookmark(second);
    t.ds->Delete();
    EXPECT_FALSE(TRecordView::CanShow(*t.ds, second));
    EXPECT_THROW(TRecordView gone(*t.ds, second), EDatabaseError);
    EXPECT_THROW(TRecordView none(*t.ds, TBookmark{}), EDatabaseError);
    t.ds->Close();
    EXPECT_FALSE(TRecordView::CanShow(*t.ds, third));
}

TEST_F(ReaderTest, TextsAreReadInPlace)
{
    TField* name = t.ds->FieldByName("NAME");
    t.ds->Edit();
    name->SetAsString("Longer than twelve bytes");
    t.ds->Post();
    const auto reader = t.ds->CreateRecordReader();
    const auto h = reader->Handle(7);
    const std::string_view first = reader->Text(h, name);
    EXPECT_EQ(first, "Longer than twelve bytes");
    EXPECT_EQ(reader->Text(h, name).data(), first.data());   // the same stored bytes, no copy
    EXPECT_TRUE(reader->Text(reader->Handle(0), t.ds->FieldByName("NAME")) == "Name1");
}

TEST_F(ReaderTest, AReaderIsOutOfDateOnceTheRecordsChange)
{
    const std::vector<std::function<void()>> changes = {
        [&] { t.ds->AppendRecord({100}); },
        [&] { t.ds->Delete(); },
        [&] { t.ds->Edit(); t.ds->FieldByName("NAME")->SetAsString("x"); t.ds->Post(); },
        [&] { t.ds->SortOn("NAME"); },
        [&] { t.ds->SetFilter("ID > 3"); t.ds->SetFiltered(true); },
        [&] { t.ds->EmptyTable(); },
        [&] { t.ds->Close(); },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        if (!t.ds->Active() || t.ds->IsEmpty())
            t.Fill(5);
        const auto reader = t.ds->CreateRecordReader();
        const auto h = reader->Handle(0);
        changes[i]();
        EXPECT_THROW(reader->Count(), EDatabaseError) << i;
        EXPECT_THROW(reader->Value(h, t.ds->Fields(0)), EDatabaseError) << i;
    }
    // Browsing and editing without posting do not.
    t.ds->SetFiltered(false);
    t.Fill(5);
    const auto reader = t.ds->CreateRecordReader();
    t.ds->Last();
    t.ds->Edit();
    t.ds->FieldByName("NAME")->SetAsString("pending");
    EXPECT_EQ(reader->Text(reader->Handle(reader->Count() - 1), t.ds->FieldByName("NAME")), "Name5");
    t.ds->Cancel();
    EXPECT_EQ(reader->Count(), 5);
}

TEST_F(ReaderTest, CalculatedFieldsAndForeignFields)
{
    Table other;
    other.Fill(1);
    EXPECT_THROW(t.ds->CreateRecordReader()->Value(0, other.ds->Fields(0)), EDatabaseError);

    t.ds->Close();
    TField* twice = t.ds->AddCalculatedField("TWICE", ftInteger);
    t.ds->OnCalcFields = [](TDataSet* ds) {
        ds->FieldByName("TWICE")->SetAsInteger(ds->FieldByName("ID")->AsInteger() * 2);
    };
    t.Fill(3);
    t.ds->Next();
    link.Clear();
    const auto reader = t.ds->CreateRecordReader();
    EXPECT_EQ(reader->Value(reader->Handle(2), twice).AsInteger(), 6);
    EXPECT_EQ(reader->Text(reader->Handle(0), twice), "2");
    EXPECT_EQ(t.Id(), 2);
    EXPECT_EQ(twice->AsInteger(), 4);   // the current record's calculated value is its own
    EXPECT_TRUE(link.Log.empty());
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
