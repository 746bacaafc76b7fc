// Criteria streams from damaged layout files: every mutated stream either
// loads a criteria that then evaluates, renders and saves, or raises
// EReadError and keeps the old criteria.
#include "CriteriaTestSupport.h"

#include "fuzz/Mutator.h"
#include "platform/core/Stream.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

namespace {

std::string Save(const TdxCriteria& criteria)
{
    TMemoryStream stream;
    criteria.SaveToStream(stream);
    return stream.Bytes();
}

std::vector<std::string> Samples()
{
    std::vector<std::string> samples;
    TTestCriteria c;
    c.AddItem(nullptr, "A", 1, "x", "x");
    samples.push_back(Save(c));

    TdxCriteriaItemList* l1 = c.AddList(nullptr, dxBoolOr);
    c.AddItem(l1, "B", 2, "100", 100);
    c.AddItem(l1, "C", 3, "100000", 100000)->SetNegate(true);
    TdxCriteriaItemList* l2 = c.AddList(l1, dxBoolAnd);
    l2->SetNegate(true);
    c.AddItem(l2, "D", 4, "1,5", 1.5);
    c.AddItem(l2, "E", 5, "2,5", Variant::FromSingle(2.5f));
    c.AddItem(l2, "F", 0, "", Variant::Null());
    c.AddItem(nullptr, "G", 1, "Grüße", "Grüße €");
    c.AddItem(nullptr, "H", 1, "日本", "日本");
    c.AddItem(nullptr, "I", 1, "", true);
    c.AddItem(nullptr, "J", 1, "", Currency{15000});
    c.AddItem(nullptr, "K", 1, "", Variant::FromDate(45000.75));
    c.AddItem(nullptr, "L", 1, "", (std::int64_t{1} << 53) + 1);
    c.AddItem(nullptr, "M", 1, "", std::string(300, 'z'));
    c.AddItem(nullptr, "N", 1, "", Variant());
    samples.push_back(Save(c));
    return samples;
}

// Loads the input over a criteria holding one leaf; what loads must also
// evaluate, render and save again.
void Exercise(const std::string& input)
{
    TTestCriteria c;
    c.AddItem(nullptr, "Old", 1, "o", "o");
    const std::string before = Save(c);
    TStringStream stream(input);
    try {
        c.LoadFromStream(stream);
    } catch (const EReadError&) {
        EXPECT_EQ(Save(c), before) << "a failed load changed the criteria";
        return;
    }
    TestRecord record{{"A", "x"}, {"B", 100}, {"D", 1.5}, {"K", Variant::FromDate(45000.75)}};
    (void)c.Evaluate(&record);
    (void)c.GetDisplayText();
    (void)c.GetFilterText();
    TTestCriteria copy;
    try {
        const std::string saved = Save(c);
        TStringStream again(saved);
        copy.LoadFromStream(again);
        EXPECT_EQ(Save(copy), saved);
    } catch (const EWriteError&) {
        // Only an operand the stream cannot hold is refused on saving.
    }
}

} // namespace

TEST(CriteriaRobustness, MutatedStreamsLoadOrKeepTheOldCriteria)
{
    Mutator mutator(Samples(), FuzzSeed(7001u),
                    {std::string("\x01\x00\x00\x01\x00\x00\x00", 7), std::string("\x05", 1),
                     std::string("\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x7F", 10), std::string("\x12\xFF\xFF\x00\x00", 5),
                     std::string("\x0C\xFF\xFF\xFF\x7F", 5)});
    for (int i = 0; i < FuzzIterations(3000); ++i) {
        SCOPED_TRACE("iteration " + std::to_string(i));
        Exercise(mutator.Next());
        if (::testing::Test::HasFailure())
            break;
    }
}

// The ten-byte extended float in every odd shape: infinities, NaNs,
// denormals, unnormals and exponents far beyond any integer.
TEST(CriteriaRobustness, AnyExtendedOperandLoadsOrFails)
{
    std::mt19937 rng(FuzzSeed(99u));
    const std::string head = Bytes().I32(1).Leaf(false, "", "A", 1)({5}).str();
    for (int i = 0; i < FuzzIterations(4000); ++i) {
        std::string ext(10, '\0');
        for (char& ch : ext)
            ch = static_cast<char>(rng() & 0xFF);
        switch (i % 4) {
        case 0: ext[9] = static_cast<char>((ext[9] & 0x80) | 0x40); ext[8] = static_cast<char>(0x3F + (rng() % 0x60)); break;
        case 1: ext[9] = static_cast<char>(ext[9] | 0x7F); ext[8] = static_cast<char>(0xFF); break;
        case 2: ext[9] = static_cast<char>(ext[9] & 0x80); ext[8] = 0; break;
        default: break;
        }
        SCOPED_TRACE("iteration " + std::to_string(i));
        Exercise(head + ext);
        if (::testing::Test::HasFailure())
            break;
    }
}

TEST(CriteriaRobustness, KeptInputsLoadOrKeepTheOldCriteria)
{
    for (const auto& [name, input] : RegressionInputs("criteria")) {
        SCOPED_TRACE(name);
        Exercise(input);
    }
}
