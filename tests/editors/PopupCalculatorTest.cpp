// The calculator engine behind the popup calculator.
#include "EditorTestSupport.h"
#include "TestSupport.h"

#include "editors/PopupCalculator.h"
#include "editors/detail/PopupWindow.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Locale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qel {
namespace {

TEST(CalcEngine, PocketCalculatorArithmetic)
{
    LocaleScope locale;
    auto run = [](const std::u32string& keys) {
        TdxCalcEngine e;
        for (char32_t k : keys)
            e.Input(k);
        return e.Display();
    };
    EXPECT_EQ(run(U"12+3="), "15");
    EXPECT_EQ(run(U"2+3*4="), "20");
    EXPECT_EQ(run(U"1,5*2="), "3");
    EXPECT_EQ(run(U"1.5*2="), "3") << "'.' is the separator too";
    EXPECT_EQ(run(U"200+10%="), "220");
    EXPECT_EQ(run(U"7/0="), "Error");
    EXPECT_EQ(run(U"7/0=4"), "4") << "a digit starts again after an error";
    EXPECT_EQ(run(U"123\b\b"), "1");
    EXPECT_EQ(run(U"5~"), "-5");
    EXPECT_EQ(run(U"9C"), "0");
    EXPECT_EQ(run(U"12,+1="), "13");
    EXPECT_EQ(run(U"1234567890123456"), "1234567890123") << "13 digits";
    EXPECT_EQ(run(U"99999999999*99999999999="), "Error") << "too large for the display";
    TdxCalcEngine e;
    EXPECT_FALSE(e.Input(U'x'));
}

} // namespace
} // namespace qel
