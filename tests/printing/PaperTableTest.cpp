#include "printing/PaperTable.h"

#include "platform/core/Exceptions.h"

#include <gtest/gtest.h>

#include <set>

namespace qel {
namespace {

const TdxPaper& ByCode(int code)
{
    const int i = dxPapers().IndexOfDMPaper(code);
    EXPECT_GE(i, 0) << "code " << code;
    return *dxPapers().Items(i < 0 ? 0 : i);
}

TEST(PaperTable, HoldsEveryStandardRowThenCustom)
{
    const TdxPapers& papers = dxPapers();
    ASSERT_EQ(papers.Count(), 106);
    const TdxPaper& last = *papers.Items(papers.Count() - 1);
    EXPECT_EQ(last.DMPaper(), 256);
    EXPECT_EQ(last.Name(), "Custom");
    EXPECT_EQ(last.Width(), 0);
    EXPECT_EQ(last.Height(), 0);
    EXPECT_EQ(papers.Items(papers.Count() - 2)->DMPaper(), 118);

    // Codes ascend and none repeats, so each code names one row.
    std::set<int> codes;
    for (int i = 0; i < papers.Count(); ++i) {
        const int code = papers.Items(i)->DMPaper();
        if (i > 0) {
            EXPECT_LT(papers.Items(i - 1)->DMPaper(), code);
        }
        codes.insert(code);
    }
    EXPECT_EQ(codes.size(), 106u);

    for (int absent : {48, 49, 71, 72, 73, 74, 82, 84, 85, 86, 87, 91, 92, 0, 119, 255, -1})
        EXPECT_EQ(papers.IndexOfDMPaper(absent), -1) << absent;
    EXPECT_THROW(papers.Items(106), EListError);
    EXPECT_THROW(papers.Items(-1), EListError);
}

TEST(PaperTable, SizesFollowTheRoundingRules)
{
    struct Row { int code; int width; int height; };
    const Row rows[] = {
        {9, 2100, 2970},   // metric: millimetres x 10
        {12, 2500, 3540},
        {1, 2159, 2794},   // whole and half inches
        {7, 1842, 2667},   // 7 1/4 in = 1841.5: tie goes to the even neighbour
        {22, 1206, 2794},  // 4 3/4 in = 1206.5: tie goes to the even neighbour
        {19, 984, 2254},   // eighths round to nearest
        {20, 1048, 2413},
        {38, 921, 1651},
        {39, 3778, 2794},
        {52, 2969, 4572},  // hundredths of an inch
        {53, 2355, 3223},
        {26, 8636, 11176},
        {106, 2150, 1460}, // rotated row keeps the unrotated name
    };
    for (const Row& r : rows) {
        const TdxPaper& p = ByCode(r.code);
        EXPECT_EQ(p.Width(), r.width) << "code " << r.code;
        EXPECT_EQ(p.Height(), r.height) << "code " << r.code;
    }
}

TEST(PaperTable, NamesAreStoredExactly)
{
    EXPECT_EQ(ByCode(9).Name(), "A4 210 x 297 mm");
    EXPECT_EQ(ByCode(9).ShortName(), "A4");
    EXPECT_EQ(ByCode(2).Name(), "Letter Small 8 1/2 x 11 in ");
    EXPECT_EQ(ByCode(32).ShortName(), "Envelope 65");
    EXPECT_EQ(ByCode(32).Name(), "Envelope C65 114 x 229 mm");
    EXPECT_EQ(ByCode(51).Name(), "Legal Extra 9 \\275 x 15 in");
    EXPECT_EQ(ByCode(56).Name(), "Letter Extra Transverse 9\\275 x 12 in");
    EXPECT_EQ(ByCode(75).Name(), "Letter Rotated 11 x 8 1/2 11 in");
    EXPECT_FALSE(ByCode(50).Name().empty());
    EXPECT_FALSE(ByCode(50).ShortName().empty());
}

TEST(PaperTable, LookupBySizeTakesTheFirstRowWithinOne)
{
    const TdxPapers& papers = dxPapers();
    const int a4 = papers.IndexOfDMPaper(9);
    EXPECT_EQ(papers.IndexOfSize(2100, 2970), a4);   // codes 9, 10 and 55 share it
    EXPECT_EQ(papers.IndexOfSize(2101, 2969), a4);
    EXPECT_EQ(papers.IndexOfSize(2099, 2971), a4);
    EXPECT_EQ(papers.IndexOfSize(2102, 2970), -1);
    EXPECT_EQ(papers.IndexOfSize(2970, 2100), papers.IndexOfDMPaper(77));
    EXPECT_EQ(papers.IndexOfSize(0, 0), papers.IndexOfDMPaper(256));
    EXPECT_EQ(papers.IndexOfSize(-2147483647 - 1, 2147483647), -1);
    EXPECT_EQ(papers.IndexOfSize(2147483647, -2147483647 - 1), -1);
}

TEST(PaperTable, CodeSizeCodeRoundTrip)
{
    // A size looked up again lands on the code itself or on an earlier row
    // of the same size (A4 Small and A4 Transverse map back to A4).
    const TdxPapers& papers = dxPapers();
    for (int i = 0; i < papers.Count(); ++i) {
        const TdxPaper& p = *papers.Items(i);
        const int back = papers.IndexOfSize(p.Width(), p.Height());
        ASSERT_GE(back, 0);
        ASSERT_LE(back, i);
        EXPECT_NEAR(papers.Items(back)->Width(), p.Width(), 1);
        EXPECT_NEAR(papers.Items(back)->Height(), p.Height(), 1);
        EXPECT_EQ(papers.IndexOfDMPaper(p.DMPaper()), i);
    }
    EXPECT_EQ(papers.Items(papers.IndexOfSize(2100, 2970))->DMPaper(), 9);
    EXPECT_EQ(papers.Items(papers.IndexOfSize(2159, 2794))->DMPaper(), 1);
}

TEST(PaperTable, LookupByName)
{
    const TdxPapers& papers = dxPapers();
    EXPECT_EQ(papers.IndexOfName("A4 210 x 297 mm"), papers.IndexOfDMPaper(9));
    EXPECT_EQ(papers.IndexOfName("A4"), papers.IndexOfDMPaper(9));
    EXPECT_EQ(papers.IndexOfName("Custom"), papers.IndexOfDMPaper(256));
    EXPECT_EQ(papers.IndexOfName("a4"), -1);
    EXPECT_EQ(papers.IndexOfName(""), -1);
}

TEST(PaperTable, AssignCopiesRowsAndNullClears)
{
    TdxPapers copy;
    copy.Clear();
    ASSERT_EQ(copy.Count(), 0);
    copy.Assign(&dxPapers());
    ASSERT_EQ(copy.Count(), dxPapers().Count());
    for (int i = 0; i < copy.Count(); ++i) {
        EXPECT_NE(copy.Items(i), dxPapers().Items(i));
        EXPECT_EQ(copy.Items(i)->Name(), dxPapers().Items(i)->Name());
        EXPECT_EQ(copy.Items(i)->DMPaper(), dxPapers().Items(i)->DMPaper());
    }
    copy.Assign(&copy);
    EXPECT_EQ(copy.Count(), dxPapers().Count());
    copy.Assign(nullptr);
    EXPECT_EQ(copy.Count(), 0);

    TdxPaper row;
    row.Assign(dxPapers().Items(0));
    EXPECT_EQ(row.ShortName(), "Letter");
    EXPECT_EQ(row.Width(), 2159);
    EXPECT_THROW(row.Assign(&copy), EConvertError);
    EXPECT_THROW(copy.Assign(&row), EConvertError);
}

} // namespace
} // namespace qel
