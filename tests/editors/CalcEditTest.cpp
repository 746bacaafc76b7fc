// The calculator editor.
#include "EditorTestSupport.h"
#include "TestSupport.h"

#include "editors/CalcEdit.h"
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

using test::EditorForm;

TEST(CalcEdit, TypingIntoTheOpenCalculator)
{
    LocaleScope locale;
    EditorForm f;
    auto* calc = f.StandAlone<TdxInplaceCalcEdit>();
    calc->SetText("12");
    SimulateKey(VK_F4);
    ASSERT_TRUE(calc->DroppedDown());
    SimulateText("+3*2");
    EXPECT_EQ(calc->Calculator()->Engine().Display(), "2");
    EXPECT_EQ(calc->Text(), "12") << "the text waits for the result";
    SimulateKey(VK_RETURN);
    EXPECT_EQ(calc->Text(), "30") << "left to right, as a pocket calculator";
    SimulateKey(VK_F4);
    SimulateText("/0");
    SimulateKey(VK_RETURN);
    EXPECT_EQ(calc->Text(), "30") << "an error is not taken";

    calc->SetQuickClose(true);
    SimulateKey(VK_F4);
    SimulateText("+0,5=");
    EXPECT_FALSE(calc->DroppedDown());
    EXPECT_EQ(calc->Text(), "30,5");
}

} // namespace
} // namespace qel
