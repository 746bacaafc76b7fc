// Reading records apart from the cursor: record readers and record views,
// Locate and Lookup.
#include "DataTestSupport.h"
#include "TestSupport.h"

#include "platform/core/Stream.h"
#include "platform/data/Fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <algorithm>

namespace qel::test {
namespace {

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
    const std::size_t sort = 3;   // the one change that keeps the content: the same records, reordered
    for (std::size_t i = 0; i < changes.size(); ++i) {
        if (!t.ds->Active() || t.ds->IsEmpty())
            t.Fill(5);
        const auto reader = t.ds->CreateRecordReader();
        const auto h = reader->Handle(0);
        const std::uint64_t content = t.ds->ContentVersion();
        changes[i]();
        EXPECT_THROW(reader->Count(), EDatabaseError) << i;
        EXPECT_THROW(reader->Value(h, t.ds->Fields(0)), EDatabaseError) << i;
        EXPECT_EQ(t.ds->ContentVersion() == content, i == sort) << i;
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

// --- locate and lookup --------------------------------------------------------

class LocateTest : public ::testing::TestWithParam<bool> {
protected:
    Table t;
    void SetUp() override
    {
        if (GetParam()) {
            t.ds->AddIndex("ID");
            t.ds->AddIndex("NAME");
        }
        t.Fill(0);
        t.ds->AppendRecord({1, "Müller", "Bonn"});
        t.ds->AppendRecord({2, "Meier", "Köln"});
        t.ds->AppendRecord({3, "meier", "Bonn"});
        t.ds->AppendRecord({4, "Schmidt", "Köln"});
        t.ds->AppendRecord({5, "Meier", "Bonn"});
        t.ds->First();
    }
    int Find(const char* fields, const Variant& v, TLocateOptions o = {})
    {
        return t.ds->Locate(fields, v, o) ? t.Id() : 0;
    }
};

TEST_P(LocateTest, Options)
{
    EXPECT_EQ(Find("NAME", "meier"), 3);
    EXPECT_EQ(Find("NAME", "MEIER"), 0);
    EXPECT_EQ(Find("name", "MEIER", {loCaseInsensitive}), 2);
    EXPECT_EQ(Find("NAME", "Sch", {loPartialKey}), 4);
    EXPECT_EQ(Find("NAME", "sch", {loPartialKey}), 0);
    EXPECT_EQ(Find("NAME", "MÜ", {loPartialKey, loCaseInsensitive}), 1);
    EXPECT_EQ(Find("NAME;CITY", Variant::Array({"Meier", "Bonn"})), 5);
    EXPECT_EQ(Find("ID", "3"), 3);             // converted to the field's type
    EXPECT_EQ(Find("ID", "abc"), 0);           // cannot match, no exception
    EXPECT_EQ(Find("ID", 42), 0);
    EXPECT_EQ(t.Id(), 3);                      // a failed Locate does not move
    EXPECT_THROW(Find("NAME;CITY", "Meier"), EDatabaseError);
    EXPECT_THROW(Find("NOPE", 1), EDatabaseError);
}

TEST_P(LocateTest, IndexesFollowChangesAndFilters)
{
    ASSERT_EQ(Find("ID", 4), 4);
    t.ds->Edit();
    t.ds->FieldByName("ID")->SetAsInteger(40);
    t.ds->Post();
    EXPECT_EQ(Find("ID", 4), 0);
    EXPECT_EQ(Find("ID", 40), 40);
    t.ds->Delete();
    EXPECT_EQ(Find("ID", 40), 0);
    EXPECT_EQ(Find("NAME", "Meier"), 2);
    t.ds->SetFilter("ID > 2");
    t.ds->SetFiltered(true);
    EXPECT_EQ(Find("NAME", "Meier"), 5);
    EXPECT_TRUE(t.ds->Lookup("NAME", "Meier", "ID") == Variant(5));
    EXPECT_TRUE(t.ds->Lookup("NAME", "Nobody", "ID").IsNull());
    const Variant both = t.ds->Lookup("ID", 3, "NAME;CITY");
    ASSERT_TRUE(both.IsArray());
    EXPECT_EQ(both.Elements()[1].AsString(), "Bonn");
    EXPECT_EQ(t.Id(), 5);   // Lookup leaves the current record alone
}

TEST_P(LocateTest, ATextLongerThanTheFieldMatchesNothing)
{
    const std::string full(30, 'x');
    t.ds->AppendRecord({6, full});
    EXPECT_EQ(Find("NAME", full + "y"), 0);
    EXPECT_TRUE(t.ds->Lookup("NAME", full + "y", "ID").IsNull());
    EXPECT_EQ(Find("NAME", full), 6);
    EXPECT_EQ(Find("NAME", full + "y", {loPartialKey}), 0);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutIndex, LocateTest, ::testing::Bool());

} // namespace
} // namespace qel::test
