// The dataset contract on the in-memory dataset: navigation, editing and its
// errors, bookmarks, calculated and lookup fields, blobs.
#include "DataTestSupport.h"
#include "TestSupport.h"

#include "platform/core/Stream.h"
#include "platform/data/Fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qel::test {
namespace {

// --- errors and bad input ---------------------------------------------------

TEST(DataSetErrors, ClearMessagesAndNoDamage)
{
    Table t;
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { t.ds->Next(); }), "Cannot perform this operation on a closed dataset");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { t.ds->GotoBookmark("x"); }),
              "Cannot perform this operation on a closed dataset");
    t.ds->Open();
    EXPECT_TRUE(t.ds->IsEmpty());
    EXPECT_TRUE(t.ds->Bof() && t.ds->Eof());
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { t.ds->Delete(); }), "Cannot perform this operation on an empty dataset");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { t.ds->Post(); }), "Dataset not in edit or insert mode");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { t.ds->FieldByName("X"); }), "Field 'X' not found");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { t.ds->AddField("LATE", ftInteger); }),
              "Cannot perform this operation on an open dataset");
    t.Fill(3);
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { t.ds->FieldByName("NAME")->SetAsString("x"); }),
              "Dataset not in edit or insert mode");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { t.ds->GotoBookmark("garbage"); }), "Record not found");
    EXPECT_EQ(t.Id(), 1);

    t.ds->SetReadOnly(true);
    EXPECT_FALSE(t.ds->CanModify());
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { t.ds->Edit(); }), "Cannot modify a read-only dataset");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { t.ds->Append(); }), "Cannot modify a read-only dataset");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { t.ds->Delete(); }), "Cannot modify a read-only dataset");
    EXPECT_EQ(t.ds->RecordCount(), 3);
}

TEST(DataSetErrors, WrongTypesRaiseConversionErrorsAndKeepTheRecord)
{
    Table t;
    t.Fill(2);
    t.ds->Edit();
    TField* id = t.ds->FieldByName("ID");
    TField* amount = t.ds->FieldByName("AMOUNT");
    EXPECT_THROW(id->SetAsString("abc"), EConvertError);
    EXPECT_THROW(id->SetAsString("1,5"), EConvertError);
    EXPECT_THROW(id->SetValue(Variant(5e12)), EConvertError);
    EXPECT_THROW(amount->SetAsString("12x"), EConvertError);
    EXPECT_FALSE(t.ds->Modified());
    EXPECT_EQ(id->AsInteger(), 1);
    EXPECT_DOUBLE_EQ(amount->AsFloat(), 1.5);
    amount->SetAsString("2,25");   // the locale's decimal separator
    EXPECT_DOUBLE_EQ(amount->AsFloat(), 2.25);
    id->SetText("");
    EXPECT_TRUE(id->IsNull());
    t.ds->Cancel();
    EXPECT_EQ(t.Id(), 1);
}

TEST(DataSetErrors, FailingPostStaysInInsertWithTheValues)
{
    Table t;
    t.ds->FieldByName("NAME")->SetRequired(true);
    t.Fill(2);
    t.ds->Insert();
    t.ds->FieldByName("ID")->SetAsInteger(7);
    t.ds->FieldByName("CITY")->SetAsString("Ulm");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { t.ds->Post(); }), "Field 'NAME' must have a value");
    EXPECT_EQ(t.ds->State(), dsInsert);
    EXPECT_EQ(t.Id(), 7);
    EXPECT_EQ(t.ds->FieldByName("CITY")->AsString(), "Ulm");
    t.ds->BeforePost = [](TDataSet*) { throw EDatabaseError("refused"); };
    t.ds->FieldByName("NAME")->SetAsString("N");
    EXPECT_THROW(t.ds->Post(), EDatabaseError);
    EXPECT_EQ(t.ds->State(), dsInsert);
    t.ds->BeforePost = nullptr;
    t.ds->Post();
    EXPECT_EQ(t.ds->RecordCount(), 3);
    // A failing AppendRecord adds nothing.
    EXPECT_THROW(t.ds->AppendRecord({8, Variant::Null()}), EDatabaseError);
    EXPECT_EQ(t.ds->State(), dsBrowse);
    EXPECT_EQ(t.ds->RecordCount(), 3);
}

TEST(DataSetErrors, MovingWhileEditingPostsOrCancels)
{
    Table t;
    t.Fill(3);
    t.ds->Edit();
    t.ds->Next();   // not modified: cancelled
    EXPECT_EQ(t.ds->State(), dsBrowse);
    t.ds->Edit();
    t.ds->FieldByName("NAME")->SetAsString("changed");
    t.ds->First();  // modified: posted
    t.ds->Next();
    EXPECT_EQ(t.ds->FieldByName("NAME")->AsString(), "changed");
}

// --- events -------------------------------------------------------------------

TEST(DataSetEvents, BeforeAndAfterInOrder)
{
    Table t;
    std::vector<std::string> log;
    auto rec = [&log](const char* name) { return [&log, name](TDataSet*) { log.push_back(name); }; };
    t.ds->BeforeOpen = rec("BeforeOpen");
    t.ds->AfterOpen = rec("AfterOpen");
    t.ds->BeforeScroll = rec("BeforeScroll");
    t.ds->AfterScroll = rec("AfterScroll");
    t.ds->BeforeInsert = rec("BeforeInsert");
    t.ds->AfterInsert = rec("AfterInsert");
    t.ds->BeforeEdit = rec("BeforeEdit");
    t.ds->AfterEdit = rec("AfterEdit");
    t.ds->BeforePost = rec("BeforePost");
    t.ds->AfterPost = rec("AfterPost");
    t.ds->BeforeCancel = rec("BeforeCancel");
    t.ds->AfterCancel = rec("AfterCancel");
    t.ds->BeforeDelete = rec("BeforeDelete");
    t.ds->AfterDelete = rec("AfterDelete");
    t.ds->BeforeClose = rec("BeforeClose");
    t.ds->AfterClose = rec("AfterClose");
    t.ds->Open();
    t.ds->Append();
    t.ds->FieldByName("ID")->SetAsInteger(1);
    t.ds->Post();
    t.ds->Edit();
    t.ds->Cancel();
    t.ds->Delete();
    t.ds->Close();
    EXPECT_EQ(log, (std::vector<std::string>{
                       "BeforeOpen", "AfterOpen", "BeforeInsert", "BeforeScroll", "AfterInsert", "AfterScroll",
                       "BeforePost", "AfterPost", "BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel",
                       "BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll", "BeforeClose",
                       "AfterClose"}));
}

// --- bookmarks ----------------------------------------------------------------

TEST(Bookmarks, SurviveOtherInsertsAndDeletes)
{
    Table t;
    t.Fill(5);
    t.ds->MoveBy(2);
    const TBookmark b3 = t.ds->GetBookmark();
    t.ds->First();
    const TBookmark b1 = t.ds->GetBookmark();
    t.ds->Next();
    t.ds->InsertRecord({10});    // before ID 2
    t.ds->Locate("ID", 4, {});
    t.ds->Delete();
    ASSERT_TRUE(t.ds->BookmarkValid(b3));
    t.ds->GotoBookmark(b3);
    EXPECT_EQ(t.Id(), 3);
    EXPECT_EQ(t.ds->RecNo(), 4);   // 1, 10, 2, 3
    EXPECT_LT(t.ds->CompareBookmarks(b1, b3), 0);
    EXPECT_GT(t.ds->CompareBookmarks(b3, b1), 0);
    EXPECT_EQ(t.ds->CompareBookmarks(b3, t.ds->GetBookmark()), 0);
    t.ds->Delete();
    EXPECT_FALSE(t.ds->BookmarkValid(b3));
    EXPECT_THROW(t.ds->GotoBookmark(b3), EDatabaseError);
    // Unknown and empty bookmarks order without raising, after every known
    // record: a sorted selection list then reports them "not found, at the end".
    EXPECT_EQ(t.ds->CompareBookmarks("", ""), 0);
    EXPECT_GT(t.ds->CompareBookmarks("", b1), 0);
    EXPECT_LT(t.ds->CompareBookmarks(b1, ""), 0);
    EXPECT_GT(t.ds->CompareBookmarks(b3, b1), 0);
    EXPECT_GT(t.ds->CompareBookmarks("junk", b1), 0);
    EXPECT_GT(t.ds->CompareBookmarks("", "junk"), 0);
    EXPECT_FALSE(t.ds->BookmarkValid("junk"));
}

TEST(Bookmarks, AnEmptyBookmarkIsIgnored)
{
    // Walking an empty dataset and going back to where it was must not fail.
    Table t;
    t.Fill(0);
    RecordingLink link;
    link.SetDataSource(t.src);
    const TBookmark none = t.ds->GetBookmark();
    EXPECT_TRUE(none.empty());
    {
        TDisableControlsGuard guard(t.ds);
        for (t.ds->First(); !t.ds->Eof(); t.ds->Next()) {
        }
        EXPECT_NO_THROW(t.ds->GotoBookmark(none));
    }
    t.Fill(3);
    t.ds->Next();
    link.Clear();
    t.ds->GotoBookmark(none);
    t.ds->SetBookmark(none);
    EXPECT_TRUE(link.Log.empty());
    EXPECT_EQ(t.Id(), 2);
}

TEST(Bookmarks, FollowTheSortOrderAndTheFilter)
{
    Table t;
    t.Fill(4);
    t.ds->Last();
    const TBookmark b4 = t.ds->GetBookmark();
    t.ds->First();
    const TBookmark b1 = t.ds->GetBookmark();
    EXPECT_LT(t.ds->CompareBookmarks(b1, b4), 0);
    t.ds->SortOn("ID", true);
    // Bookmark order is not dataset order: a sorted bookmark list stays sorted.
    EXPECT_LT(t.ds->CompareBookmarks(b1, b4), 0);
    EXPECT_EQ(t.Id(), 1);   // the current record stays current
    t.ds->First();
    EXPECT_EQ(t.Id(), 4);
    t.ds->SetFilter("ID <> 1");
    t.ds->SetFiltered(true);
    EXPECT_FALSE(t.ds->BookmarkValid(b1));
    EXPECT_THROW(t.ds->GotoBookmark(b1), EDatabaseError);
    t.ds->SetFiltered(false);
    t.ds->GotoBookmark(b1);
    EXPECT_EQ(t.Id(), 1);
    // Closing drops the records; their bookmarks do not come back to life.
    t.ds->Close();
    t.Fill(4);
    EXPECT_FALSE(t.ds->BookmarkValid(b1));
}

// --- Bof and Eof while inserting ----------------------------------------------

TEST(InsertPosition, BofAndEofTellWhereTheNewRecordStands)
{
    // The grid appends the new row when the dataset is at EOF and inserts it
    // above the focused row otherwise.
    Table t;
    t.Fill(0);
    t.ds->Insert();
    EXPECT_TRUE(t.ds->Bof());
    EXPECT_TRUE(t.ds->Eof());
    EXPECT_FALSE(t.ds->IsEmpty());
    t.ds->Cancel();
    EXPECT_TRUE(t.ds->IsEmpty() && t.ds->Bof() && t.ds->Eof());
    t.ds->Edit();   // an empty dataset inserts
    EXPECT_EQ(t.ds->State(), dsInsert);
    EXPECT_TRUE(t.ds->Eof());
    t.ds->FieldByName("ID")->SetAsInteger(1);
    t.ds->Post();
    EXPECT_FALSE(t.ds->Bof() || t.ds->Eof());
    t.ds->AppendRecord({2});
    t.ds->First();
    t.ds->Append();
    EXPECT_FALSE(t.ds->Bof());
    EXPECT_TRUE(t.ds->Eof());
    t.ds->Cancel();
    t.ds->Last();
    t.ds->Next();
    ASSERT_TRUE(t.ds->Eof());
    t.ds->Insert();
    EXPECT_TRUE(t.ds->Eof());
    t.ds->Cancel();
    t.ds->First();
    t.ds->Insert();
    EXPECT_FALSE(t.ds->Eof());
    t.ds->Cancel();
}

// --- sorting and editing order ------------------------------------------------

TEST(Sorting, PostedRecordsMoveToTheirPlace)
{
    Table t;
    t.Fill(0);
    for (const char* n : {"b", "D", "a", "C"})
        t.ds->AppendRecord({Variant(), n});
    t.ds->SortOn("NAME");
    std::vector<std::string> names;
    for (t.ds->First(); !t.ds->Eof(); t.ds->Next())
        names.push_back(t.ds->FieldByName("NAME")->AsString());
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "C", "D"}));
    t.ds->First();
    t.ds->Edit();
    t.ds->FieldByName("NAME")->SetAsString("Z");
    t.ds->Post();
    EXPECT_EQ(t.ds->RecNo(), 4);
    t.ds->AppendRecord({Variant(), "A0"});
    EXPECT_EQ(t.ds->RecNo(), 1);
}

// --- calculated and lookup fields ---------------------------------------------

TEST(CalcAndLookup, FieldsFollowTheRecord)
{
    LocaleScope locale;
    TComponent owner(nullptr);
    auto* customers = new TMemoryDataSet(&owner);
    customers->AddField("CUSTNO", ftInteger);
    customers->AddField("CUSTNAME", ftString, 20);
    customers->AddIndex("CUSTNO");
    customers->Open();
    customers->AppendRecord({1, "Acme"});
    customers->AppendRecord({2, "Globex"});

    auto* orders = new TMemoryDataSet(&owner);
    orders->AddField("ORDERNO", ftAutoInc);
    orders->AddField("CUST", ftInteger);
    orders->AddField("QTY", ftInteger);
    TField* name = orders->AddLookupField("CUSTOMER", ftString, 20, customers, "CUST", "CUSTNO", "CUSTNAME");
    TField* doubled = orders->AddCalculatedField("DOUBLE", ftInteger);
    int calcCount = 0;
    orders->OnCalcFields = [&](TDataSet* ds) {
        ++calcCount;
        EXPECT_EQ(ds->State(), dsCalcFields);
        ds->FieldByName("DOUBLE")->SetAsInteger(ds->FieldByName("QTY")->AsInteger() * 2);
    };
    auto* src = new TDataSource(&owner);
    src->SetDataSet(orders);
    RecordingLink link;
    link.SetDataSource(src);
    orders->Open();
    orders->AppendRecord({Variant(), 2, 5});
    orders->AppendRecord({Variant(), 9, 1});
    orders->First();
    EXPECT_EQ(orders->FieldByName("ORDERNO")->AsInteger(), 1);
    EXPECT_EQ(name->AsString(), "Globex");
    EXPECT_EQ(doubled->AsInteger(), 10);
    EXPECT_FALSE(doubled->CanModify());
    EXPECT_TRUE(name->CanModify());   // through its key field
    orders->Next();
    EXPECT_EQ(orders->FieldByName("ORDERNO")->AsInteger(), 2);
    EXPECT_TRUE(name->IsNull());       // no customer 9
    link.Clear();
    orders->Edit();
    orders->FieldByName("CUST")->SetAsInteger(1);
    orders->FieldByName("QTY")->SetAsInteger(4);
    EXPECT_EQ(name->AsString(), "Acme");   // recalculated on every change
    EXPECT_EQ(doubled->AsInteger(), 8);
    EXPECT_EQ(link.Log, (std::vector<std::string>{"EditingChanged(on)", "RecordChanged(nil)", "RecordChanged(CUST)",
                                                  "RecordChanged(QTY)"}));
    orders->Post();
    EXPECT_GT(calcCount, 0);
    // Locate and filter see calculated values too.
    EXPECT_TRUE(orders->Locate("CUSTOMER", "Globex", {}));
    EXPECT_EQ(orders->FieldByName("ORDERNO")->AsInteger(), 1);
    orders->SetFilter("DOUBLE > 9");
    orders->SetFiltered(true);
    EXPECT_EQ(orders->RecordCount(), 1);
    // A lookup on the dataset itself is refused with the platform's text.
    TComponent other(nullptr);
    auto* self = new TMemoryDataSet(&other);
    self->AddField("K", ftInteger);
    self->AddLookupField("L", ftString, 10, self, "K", "K", "K");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { self->Open(); }), SCircularDataLink);
    EXPECT_FALSE(self->Active());
    // A half-made definition is refused at opening, not on every record read.
    auto* half = new TMemoryDataSet(&other);
    half->AddField("K", ftInteger);
    half->AddField("K2", ftInteger);
    TField* partial = half->AddLookupField("L", ftString, 10, customers, "K", "CUSTNO", "");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { half->Open(); }), "Lookup information for field 'L' is incomplete");
    partial->SetLookupResultField("CUSTNAME");
    partial->SetKeyFields("K;K2");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { half->Open(); }), "Lookup information for field 'L' is incomplete");
    partial->SetKeyFields("K");
    half->Open();
    half->AppendRecord({2});
    EXPECT_EQ(partial->AsString(), "Globex");
    // A lookup dataset that goes away leaves the field without a source.
    orders->Close();
    delete customers;
    EXPECT_EQ(name->LookupDataSet(), nullptr);
    EXPECT_THROW(orders->Open(), EDatabaseError);
    EXPECT_FALSE(orders->Active());
}

// --- blobs --------------------------------------------------------------------

TEST(Blobs, StreamsRoundTrip)
{
    LocaleScope locale;
    TComponent owner(nullptr);
    auto* ds = new TMemoryDataSet(&owner);
    TField* memo = ds->AddField("NOTE", ftMemo);
    TField* data = ds->AddField("DATA", ftBlob);
    TField* fmt = ds->AddField("RTF", ftFmtMemo);
    ds->Open();
    EXPECT_TRUE(data->IsBlob());
    EXPECT_EQ(static_cast<TBlobField*>(fmt)->BlobType(), ftFmtMemo);
    EXPECT_EQ(data->DisplayText(), "(blob)");
    ds->Append();
    const std::string bytes("\0\x01\xff binary\0", 11);
    {
        auto w = ds->CreateBlobStream(data, bmWrite);
        w->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    }
    {
        auto w = ds->CreateBlobStream(memo, bmWrite);
        w->WriteBytes("Zeile 1\r\nZeile 2");
    }
    ds->Post();
    auto r = ds->CreateBlobStream(data, bmRead);
    EXPECT_EQ(r->ReadBytes(r->Size()), bytes);
    EXPECT_EQ(memo->DisplayText(), "Zeile 1\r\nZeile 2");
    EXPECT_EQ(data->DisplayText(), "(BLOB)");
    EXPECT_THROW(ds->CreateBlobStream(memo, bmWrite), EDatabaseError);   // browsing
    ds->Edit();
    {
        auto rw = ds->CreateBlobStream(memo, bmReadWrite);
        rw->Seek(0, soEnd);
        rw->WriteBytes("!");
    }
    {
        auto w = ds->CreateBlobStream(data, bmWrite);   // truncates
    }
    ds->Post();
    EXPECT_EQ(memo->AsString(), "Zeile 1\r\nZeile 2!");
    EXPECT_TRUE(data->IsNull());
}

TEST(Blobs, AStreamStillOpenAtPostIsStoredNotLost)
{
    LocaleScope locale;
    TComponent owner(nullptr);
    auto* ds = new TMemoryDataSet(&owner);
    ds->AddField("ID", ftInteger);
    TField* data = ds->AddField("DATA", ftBlob);
    ds->Open();
    ds->AppendRecord({1});
    ds->AppendRecord({2});
    ds->First();

    ds->Edit();
    auto w = ds->CreateBlobStream(data, bmWrite);
    w->WriteBytes("picture");
    ds->Post();
    EXPECT_EQ(data->AsString(), "picture");
    // The record is stored: the stream is spent and says so.
    EXPECT_THROW(w->WriteBytes("more"), EDatabaseError);
    w.reset();
    EXPECT_EQ(data->AsString(), "picture");

    // Moving on while the stream is open posts what it holds.
    ds->Edit();
    w = ds->CreateBlobStream(data, bmReadWrite);
    w->Seek(0, soEnd);
    w->WriteBytes("!");
    ds->Next();
    w.reset();
    ds->First();
    EXPECT_EQ(data->AsString(), "picture!");

    // Cancelled bytes never reach a record, even when the stream dies later.
    ds->Edit();
    w = ds->CreateBlobStream(data, bmWrite);
    w->WriteBytes("dropped");
    ds->Cancel();
    ds->Next();
    w.reset();
    EXPECT_TRUE(data->IsNull());
    ds->First();
    EXPECT_EQ(data->AsString(), "picture!");

    // Only reading through a read-write stream changes nothing.
    ds->Edit();
    {
        auto rw = ds->CreateBlobStream(data, bmReadWrite);
        EXPECT_EQ(rw->ReadBytes(rw->Size()), "picture!");
    }
    EXPECT_FALSE(ds->Modified());
    ds->Cancel();

    // A stream that outlives its dataset is harmless.
    ds->Edit();
    w = ds->CreateBlobStream(data, bmWrite);
    delete ds;
    EXPECT_THROW(w->WriteBytes("late"), EDatabaseError);
    w.reset();
}

} // namespace
} // namespace qel::test
