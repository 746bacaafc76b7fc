// The field classes: texts, formats and conversions, default fields from
// field definitions, and a field freed under an open dataset.
#include "DataTestSupport.h"
#include "TestSupport.h"

#include "platform/core/Stream.h"
#include "platform/data/Fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qel::test {
namespace {

// --- fields -------------------------------------------------------------------

TEST(Fields, TextsFormatsAndCharacters)
{
    LocaleScope locale;
    TComponent owner(nullptr);
    auto* ds = new TMemoryDataSet(&owner);
    auto* price = static_cast<TFloatField*>(ds->AddField("PRICE", ftFloat));
    auto* money = static_cast<TFloatField*>(ds->AddField("MONEY", ftCurrency));
    auto* flag = static_cast<TBooleanField*>(ds->AddField("FLAG", ftBoolean));
    auto* day = ds->AddField("DAY", ftDate);
    auto* small = static_cast<TIntegerField*>(ds->AddField("SMALL", ftSmallint));
    auto* name = ds->AddField("NAME", ftString, 5);
    auto* wide = ds->AddField("WIDE", ftWideString, 10);
    ds->Open();
    ds->Append();
    price->SetAsFloat(1234.5);
    EXPECT_EQ(price->DisplayText(), "1234,5");
    price->SetDisplayFormat("#,##0.00");
    EXPECT_EQ(price->DisplayText(), "1.234,50");
    EXPECT_EQ(price->Text(), "1234,5");
    EXPECT_EQ(price->Alignment(), taRightJustify);
    money->SetAsFloat(3);
    EXPECT_EQ(money->Text(), "3,00");
    EXPECT_EQ(money->DisplayText(), "3,00 \u20AC");
    money->SetAsFloat(-1234.567);
    EXPECT_EQ(money->DisplayText(), "-1.234,57 \u20AC");
    flag->SetDisplayValues("Ja;Nein");
    flag->SetText("nein");
    EXPECT_FALSE(flag->AsBoolean());
    EXPECT_EQ(flag->DisplayText(), "Nein");
    EXPECT_THROW(flag->SetText("vielleicht"), EConvertError);
    day->SetText("24.12.2023");
    EXPECT_EQ(day->DisplayText(), "24.12.2023");
    EXPECT_DOUBLE_EQ(day->AsDateTime(), EncodeDate(2023, 12, 24));
    EXPECT_THROW(day->SetText("31.02.2023"), EConvertError);
    EXPECT_THROW(small->SetAsInteger(40000), EConvertError);
    small->SetMinValue(1);
    small->SetMaxValue(9);
    EXPECT_THROW(small->SetAsInteger(10), EConvertError);
    small->SetAsInteger(9);
    EXPECT_EQ(small->Value().VarType(), varSmallint);
    name->SetAsString("Äpfelbaum");   // cut to 5 characters, not bytes
    EXPECT_EQ(name->AsString(), "Äpfel");
    wide->SetAsString("Grüße");
    EXPECT_EQ(wide->Value().VarType(), varOleStr);
    EXPECT_EQ(wide->AsString(), "Grüße");
    name->OnGetText = [](TField*, std::string& text, bool display) { text = display ? "shown" : "edited"; };
    EXPECT_EQ(name->DisplayText(), "shown");
    EXPECT_EQ(name->Text(), "edited");
    std::string set;
    name->OnSetText = [&set](TField*, const std::string& text) { set = text; };
    name->SetText("typed");
    EXPECT_EQ(set, "typed");
    EXPECT_EQ(name->AsString(), "Äpfel");
    EXPECT_TRUE(small->IsValidChar('7'));
    EXPECT_FALSE(small->IsValidChar('x'));
    EXPECT_TRUE(price->IsValidChar(','));
    EXPECT_TRUE(name->IsValidChar(U'ß'));
    EXPECT_TRUE(name->IsValidChar('\n'));   // text fields take line breaks (memo columns want returns)
    EXPECT_FALSE(small->IsValidChar('\r'));
    EXPECT_EQ(name->DisplayWidth(), 5);
    EXPECT_EQ(small->DisplayWidth(), 6);
    EXPECT_EQ(name->DisplayLabel(), "NAME");
    ds->Cancel();
    EXPECT_TRUE(ds->IsEmpty());
    EXPECT_EQ(ds->FieldValues("PRICE;NAME").Elements().size(), 2u);
}

TEST(Fields, AsStringReadsBackThroughSetAsString)
{
    LocaleScope locale;
    TComponent owner(nullptr);
    auto* ds = new TMemoryDataSet(&owner);
    auto* flag = static_cast<TBooleanField*>(ds->AddField("FLAG", ftBoolean));
    auto* at = ds->AddField("AT", ftTime);
    auto* day = ds->AddField("DAY", ftDate);
    auto* stamp = ds->AddField("STAMP", ftDateTime);
    ds->Open();
    ds->Append();
    flag->SetDisplayValues("Ja;Nein");
    flag->SetAsBoolean(true);
    EXPECT_EQ(flag->AsString(), "Ja");
    flag->SetAsString(flag->AsString());
    EXPECT_TRUE(flag->AsBoolean());
    // A time field shows its time alone, midnight included, not a date of 1899.
    at->SetAsString("13:14:15");
    EXPECT_EQ(at->AsString(), "13:14:15");
    at->SetAsDateTime(0);
    EXPECT_EQ(at->AsString(), "00:00:00");
    at->SetAsString(at->AsString());
    EXPECT_DOUBLE_EQ(at->AsDateTime(), 0);
    day->SetAsDateTime(EncodeDate(2024, 3, 5) + 0.5);
    EXPECT_EQ(day->AsString(), "05.03.2024");
    stamp->SetAsString("05.03.2024 13:14:15");
    EXPECT_EQ(stamp->AsString(), "05.03.2024 13:14:15");
    // A date no calendar can show is refused, not stored to fail every later read.
    EXPECT_THROW(stamp->SetAsDateTime(1e300), EConvertError);
    EXPECT_THROW(stamp->SetValue(Variant(std::nan(""))), EConvertError);
    EXPECT_EQ(stamp->AsString(), "05.03.2024 13:14:15");
    ds->Cancel();
}

TEST(Fields, LargeIntegersAndBcdConvertAndCheckTheirRange)
{
    LocaleScope locale;
    TComponent owner(nullptr);
    auto* ds = new TMemoryDataSet(&owner);
    auto* big = static_cast<TLargeintField*>(ds->AddField("BIG", ftLargeint));
    auto* bcd = static_cast<TBCDField*>(ds->AddField("BCD", ftBCD));
    ds->Open();
    ds->Append();
    // Beyond 32 bits and beyond a double's exact range, text and values stay exact.
    big->SetAsString(" 9007199254740993 ");
    EXPECT_EQ(big->Value().VarType(), varInt64);
    EXPECT_EQ(big->Value().AsInt64(), 9007199254740993LL);
    EXPECT_EQ(big->Text(), "9007199254740993");
    big->SetAsString("   ");
    EXPECT_TRUE(big->IsNull()) << "blank text clears the field";
    EXPECT_THROW(big->SetAsString("12x"), EConvertError);
    // Min and Max both 0 mean no limit; otherwise values outside are refused
    // and the field keeps what it had.
    big->SetMinValue(-5);
    big->SetMaxValue(5);
    big->SetValue(Variant(std::int64_t{5}));
    EXPECT_THROW(big->SetValue(Variant(std::int64_t{6})), EConvertError);
    EXPECT_EQ(big->Value().AsInt64(), 5);
    EXPECT_TRUE(big->IsValidChar('-'));
    EXPECT_FALSE(big->IsValidChar(','));

    bcd->SetAsString("12,3456");
    EXPECT_EQ(bcd->Value().AsCurrency().Value, 123456);
    bcd->SetMinValue(Currency::FromInt64(0));
    bcd->SetMaxValue(Currency::FromInt64(1000000));   // 100,0000
    EXPECT_THROW(bcd->SetAsString("100,0001"), EConvertError);
    EXPECT_EQ(bcd->Value().AsCurrency().Value, 123456);
    bcd->SetAsString("");
    EXPECT_TRUE(bcd->IsNull());
    // A currency BCD shows its exact amount, even past a double's digits.
    bcd->SetMinValue(Currency{});
    bcd->SetMaxValue(Currency{});
    bcd->SetCurrency(true);
    bcd->SetValue(Variant(Currency{std::numeric_limits<std::int64_t>::max()}));
    EXPECT_EQ(bcd->DisplayText(), "922.337.203.685.477,58 \u20AC");
    EXPECT_EQ(bcd->Text(), "922337203685477,58");
    bcd->SetDisplayFormat("0.0000");
    EXPECT_EQ(bcd->DisplayText(), "922337203685477,5807");
    ds->Cancel();
}

TEST(Fields, FieldDefsCreateDefaultFields)
{
    TComponent owner(nullptr);
    auto* ds = new TMemoryDataSet(&owner);
    ds->FieldDefs().Add("A", ftInteger, 0, true);
    ds->FieldDefs().Add("B", ftString, 8);
    ds->Open();
    ASSERT_EQ(ds->FieldCount(), 2);
    EXPECT_TRUE(ds->DefaultFields());
    EXPECT_TRUE(ds->Fields(0)->Required());
    EXPECT_EQ(ds->Fields(1)->Size(), 8);
    EXPECT_STREQ(ds->Fields(1)->ClassName(), "TStringField");
    // A control that maps fields hears when the made fields go away.
    struct Watcher : TComponent {
        using TComponent::TComponent;
        std::vector<TComponent*> Removed;
        void Notification(TComponent* AComponent, TOperation Operation) override
        {
            TComponent::Notification(AComponent, Operation);
            if (Operation == opRemove)
                Removed.push_back(AComponent);
        }
    } watcher(nullptr);
    TField* a = ds->Fields(0);
    a->FreeNotification(&watcher);
    ds->Close();
    EXPECT_EQ(ds->FieldCount(), 0);
    EXPECT_EQ(watcher.Removed, (std::vector<TComponent*>{a}));
    EXPECT_THROW(CreateFieldOfType(ftADT, &owner), EDatabaseError);
}

TEST(Fields, FreeingAFieldClosesAnOpenDataSet)
{
    Table t;
    t.Fill(3);
    RecordingLink link;
    link.SetDataSource(t.src);
    // A closing event that refuses cannot keep the dataset open on a field
    // that is gone: the destructor cannot raise.
    bool refused = false;
    t.ds->BeforeClose = [&refused](TDataSet*) {
        refused = true;
        throw EDatabaseError("not now");
    };
    delete t.ds->FieldByName("CITY");
    EXPECT_TRUE(refused);
    EXPECT_FALSE(t.ds->Active());
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(t.ds->FindField("CITY"), nullptr);
    EXPECT_EQ(t.ds->FieldCount(), 3);
    t.ds->BeforeClose = nullptr;
    t.ds->Open();
    t.ds->AppendRecord({1, "N", 1.5});
    EXPECT_EQ(t.ds->FieldByName("AMOUNT")->AsFloat(), 1.5);

    // Fields made from FieldDefs: closing frees the others, the freed one only once.
    TComponent owner(nullptr);
    auto* ds = new TMemoryDataSet(&owner);
    ds->FieldDefs().Add("A", ftInteger);
    ds->FieldDefs().Add("B", ftString, 8);
    ds->Open();
    delete ds->Fields(0);
    EXPECT_FALSE(ds->Active());
    EXPECT_EQ(ds->FieldCount(), 0);
    ds->Open();
    EXPECT_EQ(ds->FieldCount(), 2);
}

} // namespace
} // namespace qel::test
