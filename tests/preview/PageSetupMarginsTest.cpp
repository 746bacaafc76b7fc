// The Margins tab's rules on their own: limits, validity, the printable
// area and Fix, on metric Letter (215.9 x 279.4 mm, 50 mm kept free).
#include "preview/PageSetupMargins.h"

#include <gtest/gtest.h>

#include <string>

namespace qel {
namespace {

TdxPageSetupPageExtent Letter(double Border = 0)
{
    return {215.9, 279.4, 50, Border, Border, Border, Border};
}

TdxPageSetupMarginValues Margins(double Header, double Footer, double Top, double Bottom, double Left, double Right)
{
    TdxPageSetupMarginValues v;
    v[psmHeader] = Header;
    v[psmFooter] = Footer;
    v[psmTop] = Top;
    v[psmBottom] = Bottom;
    v[psmLeft] = Left;
    v[psmRight] = Right;
    return v;
}

TEST(PageSetupMarginRules, TheSpinEditsAreBoundByThePageAndItsBorder)
{
    const auto b = dxPageSetupMarginBounds({215.9, 279.4, 50, 4, 5, 6, 7});
    struct Row {
        TdxPageSetupMargin Margin;
        double Min, Max;
    };
    const Row rows[] = {{psmHeader, 5, 229.4 - 7}, {psmTop, 5, 229.4 - 7},  {psmFooter, 7, 229.4 - 5},
                        {psmBottom, 7, 229.4 - 5}, {psmLeft, 4, 165.9 - 6}, {psmRight, 6, 165.9 - 4}};
    for (const Row& r : rows) {
        EXPECT_DOUBLE_EQ(b[r.Margin].Min, r.Min) << int(r.Margin);
        EXPECT_DOUBLE_EQ(b[r.Margin].Max, r.Max) << int(r.Margin);
    }
}

TEST(PageSetupMarginRules, ValidityAndTheFirstMarginToBlame)
{
    struct Row {
        const char* Why;
        TdxPageSetupMarginValues Values;
        int Failing;   // -1: valid
    };
    const Row rows[] = {
        {"the defaults", Margins(6.35, 6.35, 12.7, 12.7, 12.7, 12.7), -1},
        {"margins equal to their lower bounds", Margins(0, 0, 0, 0, 0, 0), -1},
        {"header equal to top", Margins(20, 6.35, 20, 12.7, 12.7, 12.7), -1},
        {"top and bottom using all the room", Margins(0, 0, 200, 29.4, 0, 0), -1},
        {"left and right using all the room", Margins(0, 0, 10, 10, 100, 65.9), -1},
        {"header below the room", Margins(229.5, 0, 229.5, 0, 0, 0), psmHeader},
        {"footer past the header's room", Margins(200, 30, 200, 30, 0, 0), psmFooter},
        {"top above the header", Margins(20, 6.35, 19.99, 12.7, 12.7, 12.7), psmTop},
        {"top and bottom too large", Margins(6.35, 6.35, 150, 100, 12.7, 12.7), psmTop},
        {"bottom above the footer", Margins(6.35, 20, 12.7, 19.99, 12.7, 12.7), psmBottom},
        {"left too large", Margins(6.35, 6.35, 12.7, 12.7, 166, 0), psmLeft},
        {"left and right too large", Margins(6.35, 6.35, 12.7, 12.7, 100, 66), psmRight},
    };
    for (const Row& r : rows) {
        const auto failing = dxPageSetupInvalidMargin(r.Values, Letter());
        EXPECT_EQ(failing ? int(*failing) : -1, r.Failing) << r.Why;
    }
}

TEST(PageSetupMarginRules, PrintableOnlyOutsideThePrintersOffsets)
{
    const auto m = Margins(4, 4, 12.7, 12.7, 5, 5);
    EXPECT_TRUE(dxPageSetupMarginsPrintable(m, std::nullopt)) << "no printer";
    EXPECT_TRUE(dxPageSetupMarginsPrintable(m, TdxPageSetupOffsets{5, 4})) << "on the border";
    EXPECT_FALSE(dxPageSetupMarginsPrintable(m, TdxPageSetupOffsets{5, 4.2})) << "header and footer";
    EXPECT_FALSE(dxPageSetupMarginsPrintable(m, TdxPageSetupOffsets{5.01, 4})) << "left and right";
}

TEST(PageSetupMarginRules, FixRaisesToTheBorderSoThatTheMarginShowsOutsideIt)
{
    // 50 device pixels at 600 per inch: 0.0833 inch, which two decimals show as 0.08.
    const double border = 50.0 / 600;
    const auto fixed = dxPageSetupRaiseToBorder(Margins(0, 0.5, 0.5, 0.5, 0.05, 1), {border, border, border, border});
    EXPECT_DOUBLE_EQ(fixed[psmHeader], 0.09);
    EXPECT_DOUBLE_EQ(fixed[psmLeft], 0.09);
    EXPECT_DOUBLE_EQ(fixed[psmFooter], 0.5) << "above the border already";
    EXPECT_DOUBLE_EQ(fixed[psmRight], 1);
    EXPECT_TRUE(dxPageSetupMarginsPrintable(fixed, TdxPageSetupOffsets{border, border}));
    // A border that is a whole number of hundredths stays as it is.
    EXPECT_DOUBLE_EQ(dxPageSetupRaiseToBorder(Margins(0, 0, 0, 0, 0, 0), {4.2, 4.2, 4.2, 4.2})[psmTop], 4.2);
}

TEST(PageSetupMarginRules, FixClampsPassAfterPassUntilTheMarginsAreValid)
{
    struct Row {
        const char* Why;
        TdxPageSetupMarginValues Values;
        TdxPageSetupMarginValues Fixed;
    };
    const Row rows[] = {
        // Bottom's range (50 .. 29.4) is empty: it takes 50, then Top gives way.
        {"footer 50, top 200, bottom 5", Margins(6.35, 50, 200, 5, 12.7, 12.7),
         Margins(6.35, 50, 179.4, 50, 12.7, 12.7)},
        {"top above the header", Margins(20, 6.35, 10, 12.7, 12.7, 12.7), Margins(20, 6.35, 20, 12.7, 12.7, 12.7)},
        {"left and right", Margins(6.35, 6.35, 12.7, 12.7, 170, 30), Margins(6.35, 6.35, 12.7, 12.7, 165.9, 0)},
        {"valid margins stay", Margins(6.35, 6.35, 12.7, 12.7, 12.7, 12.7), Margins(6.35, 6.35, 12.7, 12.7, 12.7, 12.7)},
    };
    for (const Row& r : rows) {
        const auto fixed = dxPageSetupClampMargins(r.Values, Letter());
        for (int i = 0; i < dxPageSetupMarginCount; ++i)
            EXPECT_NEAR(fixed.Values[i], r.Fixed.Values[i], 1e-9) << r.Why << ", margin " << i;
        EXPECT_FALSE(dxPageSetupInvalidMargin(fixed, Letter())) << r.Why;
    }
    // Clamped to an upper end the value keeps to two decimals below it.
    const TdxPageSetupPageExtent inch{8.5, 11, 1.969, 0, 0, 0, 0};
    const auto fixed = dxPageSetupClampMargins(Margins(0.25, 0.25, 9, 0.5, 0.5, 0.5), inch);
    EXPECT_DOUBLE_EQ(fixed[psmTop], 8.53);
    EXPECT_FALSE(dxPageSetupInvalidMargin(fixed, inch));
}

} // namespace
} // namespace qel
