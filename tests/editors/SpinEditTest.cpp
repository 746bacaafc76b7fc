// The spin and time editors.
#include "EditorTestSupport.h"

#include "editors/SpinEdit.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Shell.h"
#include "platform/core/Locale.h"
#include "platform/core/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::EditorForm;

TEST(SpinEdit, IntegerValuesAndNoTyping)
{
    LocaleScope locale;
    EditorForm f;
    auto* spin = f.StandAlone<TdxInplaceSpinEdit>();
    spin->SetValueType(vtInt);
    spin->SetIncrement(2);
    spin->SetEditingValue(Variant(2.6));
    EXPECT_EQ(spin->Text(), "3");
    SimulateKey(VK_DOWN);
    EXPECT_EQ(spin->Text(), "1");
    spin->SelectAll();
    SimulateText("1,5");
    EXPECT_EQ(spin->Text(), "15") << "no decimal separator for integers";
    spin->SetEditorEnabled(false);
    spin->SelectAll();
    SimulateText("7");
    EXPECT_EQ(spin->Text(), "15");
    SimulateKey(VK_UP);
    EXPECT_EQ(spin->Text(), "17") << "the arrows still spin";
    spin->SetEditorEnabled(true);
    spin->SetValueType(vtFloat);
    spin->SelectAll();
    SimulateText("1e");
    spin->SetModified(true);
    EXPECT_THROW(spin->ValidateEdit(), EConvertError);
    EXPECT_TRUE(spin->GetEditingValue().IsNull());
}

TEST(SpinEdit, ArrowsAndButtonsStepWithinTheLimits)
{
    LocaleScope locale;
    EditorForm f;
    auto* spin = f.StandAlone<TdxInplaceSpinEdit>();
    spin->SetMinValue(0);
    spin->SetMaxValue(3);
    spin->SetIncrement(1.5);
    spin->SetEditingValue(Variant(1.0));
    SimulateKey(VK_UP);
    EXPECT_EQ(spin->GetEditingValue(), Variant(2.5));
    SimulateKey(VK_UP);
    EXPECT_EQ(spin->GetEditingValue(), Variant(3.0)) << "cut to MaxValue";
    const TRect down = spin->EditButtonRect(1);
    SimulateClick(spin, down.Left + 2, down.Top + 2);
    EXPECT_EQ(spin->GetEditingValue(), Variant(1.5));
    spin->SelectAll();
    SimulateText("a2,5");
    EXPECT_EQ(spin->Text(), "2,5") << "only number characters";
    spin->SelectAll();
    SimulateKey(VK_DELETE);
    EXPECT_TRUE(spin->GetEditingValue().IsNull());

    // In a grid, UseCtrlIncrement leaves plain arrows to the host.
    auto* inGrid = f.InPlace<TdxInplaceSpinEdit>(Variant(5));
    inGrid->SetUseCtrlIncrement(true);
    SimulateKey(VK_UP);
    EXPECT_EQ(f.host->keys, (std::vector<std::uint16_t>{VK_UP}));
    SimulateKey(VK_UP, {ssCtrl});
    EXPECT_EQ(inGrid->GetEditingValue(), Variant(6.0));
}

TEST(TimeEdit, TypedDigitsAndTheArrowsStepThePartUnderTheCaret)
{
    LocaleScope locale;
    EditorForm f;
    auto* time = f.StandAlone<TdxInplaceTimeEdit>();
    time->SetEditingValue(Variant::FromDate(EncodeTime(9, 30, 0, 0)));
    EXPECT_EQ(time->Text(), "09:30:00");
    time->SetSelection(0, 0);
    SimulateKey(VK_UP);
    EXPECT_EQ(time->Text(), "10:30:00");
    time->SetSelection(4, 0);
    SimulateKey(VK_DOWN);
    EXPECT_EQ(time->Text(), "10:29:00");
    time->SetSelection(0, 0);
    SimulateText("2359");
    EXPECT_EQ(time->Text(), "23:59:00");
    EXPECT_EQ(time->GetEditingValue(), Variant::FromDate(EncodeTime(23, 59, 0, 0)));
    time->SetSelection(0, 0);
    SimulateKey(VK_UP);
    EXPECT_EQ(time->Text(), "00:59:00") << "hours wrap around the day";

    time->SetTimeEditFormat(tfHourMin);
    EXPECT_EQ(time->Text(), "00:59");
    time->SetSelection(0, 0);
    SimulateText("77");
    EXPECT_THROW(time->ValidateEdit(), EConvertError);
    time->SetEditingValue(Variant::Null());
    EXPECT_TRUE(time->GetEditingValue().IsNull());
}

} // namespace
} // namespace qel
