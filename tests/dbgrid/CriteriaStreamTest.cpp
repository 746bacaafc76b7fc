// The criteria stream: golden bytes written by hand, and every way a stream
// can be corrupt or short.
#include "CriteriaTestSupport.h"

#include "platform/core/Extended.h"
#include "platform/core/Stream.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

void Load(TdxCriteria& criteria, const std::string& bytes)
{
    TStringStream stream(bytes);
    criteria.LoadFromStream(stream);
}

void ExpectReadError(TdxCriteria& criteria, const std::string& bytes)
{
    const std::string before = SaveCriteria(criteria);
    EXPECT_EQ(test::MessageOf<EReadError>([&] { Load(criteria, bytes); }),
              "Stream-Read-Fehler") << "loaded a corrupt stream of " << bytes.size() << " bytes";
    EXPECT_EQ(SaveCriteria(criteria), before) << "a failed load changed the criteria";
}

// Root: (A > 100 OR NOT (B < 1000) OR NOT (C = 'x' AND D >= 1.5)) AND E Is Null.
void BuildNested(TdxCriteria& c)
{
    TdxCriteriaItemList* l1 = c.AddList(nullptr, dxBoolOr);
    c.AddItem(l1, "A", 2, "100", 100);
    c.AddItem(l1, "B", 3, "1000", 1000)->SetNegate(true);
    TdxCriteriaItemList* l2 = c.AddList(l1, dxBoolAnd);
    l2->SetNegate(true);
    c.AddItem(l2, "C", 1, "x", "x");
    c.AddItem(l2, "D", 4, "1,5", 1.5);
    c.AddItem(nullptr, "E", 0, "", Variant::Null());
}

std::string NestedBytes()
{
    Bytes b;
    b.I32(2);
    b.List(false, 1, 3);
    b.Leaf(false, "100", "A", 2)({2, 100});
    b.Leaf(true, "1000", "B", 3)({3, 0xE8, 0x03});
    b.List(true, 0, 2);
    b.Leaf(false, "x", "C", 1)({6, 1, 'x'});
    b.Leaf(false, "1,5", "D", 4)({5, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F});
    b.Leaf(false, "", "E", 0)({0});
    return b.str();
}

} // namespace

TEST(TdxCriteriaStream, EmptyAndSingleLeafGoldenBytes)
{
    TTestCriteria c;
    EXPECT_EQ(SaveCriteria(c), std::string("\0\0\0\0", 4));

    c.AddItem(nullptr, "Name", 1, "Anna", "Anna");
    const std::string expected("\x01\x00\x00\x00"                 // one root child
                               "\x00\x00"                         // leaf, not negated
                               "\x04\x00\x00\x00" "Anna"          // DisplayValue
                               "\x04\x00\x00\x00" "Name"          // ColumnName
                               "\x01"                             // "="
                               "\x06\x04" "Anna",                 // short string
                               29);
    EXPECT_EQ(SaveCriteria(c), expected);
}

TEST(TdxCriteriaStream, NestedListsAndNegationGoldenBytesRoundTrip)
{
    TTestCriteria c;
    BuildNested(c);
    ASSERT_EQ(SaveCriteria(c), NestedBytes());

    TTestCriteria loaded;
    Load(loaded, NestedBytes());
    EXPECT_EQ(SaveCriteria(loaded), NestedBytes());
    EXPECT_EQ(loaded.GetFilterText(), c.GetFilterText());
    auto* l2 = static_cast<TdxCriteriaItemList*>(static_cast<TdxCriteriaItemList*>(loaded.Root()->Items(0))->Items(2));
    EXPECT_TRUE(l2->Negate());
    EXPECT_EQ(l2->BoolOperator(), dxBoolAnd);
    EXPECT_EQ(loaded.FindItemByColumnName("D")->Parent(), l2);
}

struct TagCase {
    const char* name;
    Variant value;
    std::string bytes;      // the tagged value
    TVarType readType;
};

// Keeps the listed test names short: the case name instead of a byte dump.
void PrintTo(const TagCase& c, std::ostream* os) { *os << c.name; }

class TdxCriteriaValueTags : public testing::TestWithParam<TagCase> {};

TEST_P(TdxCriteriaValueTags, WritesGoldenBytesAndReadsBack)
{
    const TagCase& p = GetParam();
    TTestCriteria c;
    c.AddItem(nullptr, "V", 1, "", p.value);
    const std::string expected = Bytes().I32(1).Leaf(false, "", "V", 1).Raw(p.bytes).str();
    EXPECT_EQ(SaveCriteria(c), expected);

    TTestCriteria loaded;
    Load(loaded, expected);
    const Variant& v = loaded.FindItemByColumnName("V")->Value();
    EXPECT_EQ(v.VarType(), p.readType);
    EXPECT_EQ(Variant::Compare(v, p.value), 0);
}

const std::string s300(300, 'z');
std::string Repeat(const std::string& s, int n)
{
    std::string r;
    for (int i = 0; i < n; ++i)
        r += s;
    return r;
}
const std::string u200 = Repeat("ü", 200);

INSTANTIATE_TEST_SUITE_P(
    AllTags, TdxCriteriaValueTags,
    testing::Values(
        TagCase{"Null", Variant::Null(), std::string(1, '\0'), varNull},
        TagCase{"Int100", 100, "\x02\x64", varSmallint},
        TagCase{"MinusOne", -1, "\x02\xFF", varSmallint},
        TagCase{"Int1000", 1000, "\x03\xE8\x03", varSmallint},
        TagCase{"Byte200", Variant::FromByte(200), std::string("\x03\xC8\x00", 3), varSmallint},
        TagCase{"Int100000", 100000, std::string("\x04\xA0\x86\x01\x00", 5), varInteger},
        TagCase{"Double", 1.5, std::string("\x05\0\0\0\0\0\0\0\xC0\xFF\x3F", 11), varDouble},
        TagCase{"ShortString", "ab", "\x06\x02" "ab", varString},
        TagCase{"False", false, "\x08", varBoolean},
        TagCase{"True", true, "\x09", varBoolean},
        TagCase{"LongString", s300, std::string("\x0C\x2C\x01\x00\x00", 5) + s300, varString},
        TagCase{"Empty", Variant(), "\x0D", varEmpty},
        TagCase{"Single", Variant::FromSingle(2.5f), std::string("\x0F\x00\x00\x20\x40", 5), varSingle},
        TagCase{"Currency", Currency{15000}, std::string("\x10\x98\x3A\0\0\0\0\0\0", 9), varCurrency},
        TagCase{"Date", Variant::FromDate(2.0), std::string("\x11\0\0\0\0\0\0\0\x40", 9), varDate},
        TagCase{"WideString", Variant::FromWideString("Ä€"), std::string("\x12\x02\0\0\0\xC4\x00\xAC\x20", 9),
                varOleStr},
        TagCase{"EmptyWideString", Variant::FromWideString(""), std::string("\x12\0\0\0\0", 5), varOleStr},
        // Int64 is kept numeric: integer tags when it fits, else the extended float.
        TagCase{"SmallInt64", std::int64_t{5}, "\x02\x05", varSmallint},
        TagCase{"BigInt64", std::int64_t{1} << 40, std::string("\x05\0\0\0\0\0\0\0\x80\x27\x40", 11), varDouble},
        // Beyond 2^53 a double would round; the extended mantissa keeps every digit.
        TagCase{"HugeInt64", (std::int64_t{1} << 53) + 1, std::string("\x05\0\x04\0\0\0\0\0\x80\x34\x40", 11),
                varInt64},
        TagCase{"HugeNegativeInt64", -((std::int64_t{1} << 62) + 1),
                std::string("\x05\x02\0\0\0\0\0\0\x80\x3D\xC0", 11), varInt64},
        // Narrow text is Windows-1252, one byte per character.
        TagCase{"Cp1252String", "Grüße €", "\x06\x07" "Gr\xFC\xDF" "e \x80", varString},
        TagCase{"ShortStringCountsCharacters", u200, "\x06\xC8" + std::string(200, '\xFC'), varString},
        // Text that code page cannot hold goes under the wide tag, unchanged.
        TagCase{"UnmappableString", "日本", std::string("\x12\x02\0\0\0\xE5\x65\x2C\x67", 9), varOleStr}),
    [](const testing::TestParamInfo<TagCase>& info) { return std::string(info.param.name); });

TEST(TdxCriteriaStream, LeafTextIsWindows1252AndNeverMangled)
{
    // Text the code page holds is stored as its bytes, as the format always did.
    TTestCriteria c;
    c.AddItem(nullptr, "Größe", 1, "Müller €", "x");
    const std::string latin = Bytes().I32(1).Leaf(false, "M\xFCller \x80", "Gr\xF6\xDF" "e", 1)({6, 1, 'x'}).str();
    EXPECT_EQ(SaveCriteria(c), latin);
    TTestCriteria loaded;
    Load(loaded, latin);
    ASSERT_NE(loaded.FindItemByColumnName("Größe"), nullptr);
    EXPECT_EQ(loaded.FindItemByColumnName("Größe")->DisplayValue(), "Müller €");

    // Text it cannot hold, and text whose Windows-1252 bytes would read as
    // UTF-8, are stored as UTF-8 and come back unchanged.
    for (const std::string text : {"日本", "Ã©", "a€日", "\xC2\x81"}) {
        c.Clear();
        c.AddItem(nullptr, text, 1, text, text);
        Load(loaded, SaveCriteria(c));
        const TdxCriteriaItem* leaf = loaded.FindItemByColumnName(text);
        ASSERT_NE(leaf, nullptr) << text;
        EXPECT_EQ(leaf->DisplayValue(), text);
        EXPECT_TRUE(leaf->Value().IsString());
        EXPECT_EQ(leaf->Value().AsString(), text);
    }
    c.Clear();
    c.AddItem(nullptr, "A", 1, "Ã©", 1);
    EXPECT_EQ(SaveCriteria(c), Bytes().I32(1).Leaf(false, "\xC3\x83\xC2\xA9", "A", 1)({2, 1}).str());
}

TEST(TdxCriteriaStream, ArrayOperandRefusedAndNothingWritten)
{
    TTestCriteria c;
    c.AddItem(nullptr, "A", 1, "", 1);
    c.AddItem(nullptr, "B", 1, "", Variant::Array({1, 2}));
    TMemoryStream stream;
    EXPECT_EQ(test::MessageOf<EWriteError>([&] { c.SaveToStream(stream); }),
              "Stream-Write-Fehler") << "an array operand was written";
    EXPECT_EQ(stream.Size(), 0);
}

TEST(TdxCriteriaStream, OrAndNegatedRootsKeepTheirMeaning)
{
    TTestCriteria orRoot;
    orRoot.Root()->SetBoolOperator(dxBoolOr);
    orRoot.AddItem(nullptr, "A", 1, "", 1);
    orRoot.AddItem(nullptr, "B", 1, "", 2);
    const std::string orBytes = Bytes()
                                    .I32(1)
                                    .List(false, 1, 2)
                                    .Leaf(false, "", "A", 1)({2, 1})
                                    .Leaf(false, "", "B", 1)({2, 2})
                                    .str();
    EXPECT_EQ(SaveCriteria(orRoot), orBytes);

    TTestCriteria negRoot;
    negRoot.Root()->SetNegate(true);
    negRoot.AddItem(nullptr, "A", 1, "", 1);
    EXPECT_EQ(SaveCriteria(negRoot), Bytes().I32(1).List(true, 0, 1).Leaf(false, "", "A", 1)({2, 1}).str());

    const TestRecord records[] = {{{"A", 1}, {"B", 0}}, {{"A", 0}, {"B", 2}}, {{"A", 0}, {"B", 0}}};
    for (TTestCriteria* original : {&orRoot, &negRoot}) {
        TTestCriteria loaded;
        Load(loaded, SaveCriteria(*original));
        EXPECT_EQ(loaded.Root()->BoolOperator(), dxBoolAnd);
        EXPECT_FALSE(loaded.Root()->Negate());
        for (TestRecord r : records)
            EXPECT_EQ(loaded.Evaluate(&r), original->Evaluate(&r));
    }

    // With a single child OR means the same as AND: written plainly.
    TTestCriteria single;
    single.Root()->SetBoolOperator(dxBoolOr);
    single.AddItem(nullptr, "A", 1, "", 1);
    EXPECT_EQ(SaveCriteria(single), Bytes().I32(1).Leaf(false, "", "A", 1)({2, 1}).str());
}

TEST(TdxCriteriaStream, TruncationAtEveryByteFailsAndKeepsOldCriteria)
{
    const std::string full = NestedBytes();
    TTestCriteria c;
    c.AddItem(nullptr, "Old", 1, "o", "o");
    for (std::size_t n = 0; n < full.size(); ++n)
        ExpectReadError(c, full.substr(0, n));
    ASSERT_NE(c.FindItemByColumnName("Old"), nullptr);

    Load(c, full + "tail");
    EXPECT_EQ(c.FindItemByColumnName("Old"), nullptr);
    EXPECT_EQ(SaveCriteria(c), full);
}

TEST(TdxCriteriaStream, CorruptFieldsFailBeforeAllocating)
{
    TTestCriteria c;
    c.AddItem(nullptr, "Old", 1, "", 1);
    const auto leafWith = [](const std::string& tagged) {
        return Bytes().I32(1).Leaf(false, "", "A", 1).Raw(tagged).str();
    };
    for (int tag : {1, 7, 10, 11, 14, 19, 255})
        ExpectReadError(c, leafWith(std::string(1, static_cast<char>(tag))));

    ExpectReadError(c, Bytes().I32(-1).str());
    ExpectReadError(c, Bytes().I32(0x7FFFFFFF).str());
    ExpectReadError(c, Bytes().I32(1)({0, 0}).I32(0x7FFFFFFF).str());           // DisplayValue length
    ExpectReadError(c, Bytes().I32(1)({0, 0}).I32(-5).str());
    ExpectReadError(c, leafWith(Bytes()({12}).I32(0x7FFFFFFF).str()));          // long string
    ExpectReadError(c, leafWith(Bytes()({18}).I32(0x40000000).str()));          // wide string
    ExpectReadError(c, leafWith(Bytes()({18}).I32(-1).str()));
    ExpectReadError(c, leafWith("\x06\x05" "abc"));                              // short string
    ExpectReadError(c, leafWith(std::string("\x11\0\0\0\0\0\0\xF8\x7F", 9)));    // NaN date
    ExpectReadError(c, leafWith(Bytes()({17}).Raw(std::string("\0\0\0\0\0\0\xF0\x7F", 8)).str()));  // infinite date
    ExpectReadError(c, Bytes().I32(1).List(false, 0, 0x7FFFFFFF).str());
    ExpectReadError(c, Bytes().I32(1)({2, 0}).str());                           // IsList 2
    ExpectReadError(c, Bytes().I32(1).List(false, 2, 0).str());                 // BoolOperator 2
    ExpectReadError(c, Bytes().I32(1).Leaf(false, "", "A", 6)({0}).str());      // OperatorKind 6
}

TEST(TdxCriteriaStream, NestingDepthIsBounded)
{
    const auto nested = [](int depth) {
        Bytes b;
        b.I32(1);
        for (int i = 0; i < depth; ++i)
            b.List(false, 0, 1);
        b.Leaf(false, "", "A", 0)({0});   // the innermost list holds one "IS NULL" leaf
        return b.str();
    };
    // The dataset's filter parser takes 31 plain lists around a leaf: each
    // costs it three levels, and it stops beyond 100.
    constexpr int deepest = 31;
    TTestCriteria c;
    Load(c, nested(deepest));
    EXPECT_EQ(SaveCriteria(c), nested(deepest));
    ExpectReadError(c, nested(deepest + 1));
    ExpectReadError(c, nested(TdxCriteria::MaxNestingDepth + 1));
    ExpectReadError(c, nested(100000));

    // A tree too deep to be read back is not written either.
    c.Root()->SetNegate(true);
    TMemoryStream stream;
    EXPECT_THROW(c.SaveToStream(stream), EWriteError);
    EXPECT_EQ(stream.Size(), 0);
}
