// The date editor: calendar keys, the Null date, typing under the date mask.
#include "EditorTestSupport.h"
#include "TestSupport.h"

#include "editors/DateEdit.h"
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

TEST(DateEdit, CalendarKeysAndTheNullDate)
{
    LocaleScope locale;
    EditorForm f;
    auto* date = f.StandAlone<TdxInplaceDateEdit>();
    date->SetEditingValue(Variant::FromDate(EncodeDate(2026, 6, 15) + 0.5));
    EXPECT_EQ(date->Text(), "15.06.2026");
    SimulateKey(VK_F4);
    ASSERT_TRUE(date->DroppedDown());
    EXPECT_EQ(date->Calendar()->Date(), EncodeDate(2026, 6, 15));
    SimulateKey(VK_RIGHT);
    SimulateKey(VK_DOWN);
    SimulateKey(VK_NEXT);
    SimulateKey(VK_RETURN);
    EXPECT_EQ(date->Text(), "23.07.2026");
    EXPECT_EQ(date->GetEditingValue(), Variant::FromDate(EncodeDate(2026, 7, 23) + 0.5)) << "SaveTime keeps the time";
    EXPECT_EQ(date->GetEditingValue().VarType(), varDate);

    // Stand-alone arrows step a day; the Clear button gives the null date.
    SimulateKey(VK_UP);
    EXPECT_EQ(date->Text(), "22.07.2026");
    SimulateKey(VK_DOWN, {ssAlt});
    const TRect clear = date->Calendar()->ClearButtonRect();
    SimulateClick(date->Calendar(), clear.Left + 3, clear.Top + 3);
    EXPECT_FALSE(date->DroppedDown());
    EXPECT_EQ(date->Text(), "");
    EXPECT_EQ(date->GetEditingValue().AsDate(), NullDate);

    // The calendar's buttons from the keyboard.
    SimulateKey(VK_F4);
    SimulateKey(VK_SPACE);
    EXPECT_FALSE(date->DroppedDown());
    EXPECT_EQ(date->Text(), DateToStr(Date())) << "Space is Today, and types no blank";
    SimulateKey(VK_F4);
    SimulateKey(VK_DELETE);
    EXPECT_EQ(date->Text(), "");

    // A text that is no date.
    date->SetDate(EncodeDate(2026, 1, 2));
    date->SetText("31.02.2026");
    EXPECT_EQ(date->Date(), EncodeDate(2026, 1, 2)) << "deNoChange";
    date->SetDateOnError(deNull);
    EXPECT_EQ(date->Date(), NullDate);
    date->SetDateValidation(true);
    date->SetModified(true);
    EXPECT_THROW(date->ValidateEdit(), EConvertError);
    date->OnDateValidateInput = [](TObject*, const std::string&, TDateTime& d, std::string&, bool& error) {
        error = false;
        d = EncodeDate(2026, 2, 28);
    };
    date->ValidateEdit();
    EXPECT_EQ(date->Text(), "28.02.2026") << "the handler corrected the date";
}

TEST(DateEdit, TypingUnderTheDateMask)
{
    LocaleScope locale;
    EditorForm f;
    auto* date = f.StandAlone<TdxInplaceDateEdit>();
    date->SetUseEditMask(true);
    date->SetEditingValue(Variant::Null());
    EXPECT_EQ(date->EditWindow()->Text(), "__.__.____");
    date->SetSelection(0, 0);
    SimulateText("03122026");
    EXPECT_EQ(date->EditWindow()->Text(), "03.12.2026");
    EXPECT_EQ(date->Date(), EncodeDate(2026, 12, 3));
    date->SelectAll();
    SimulateKey(VK_DELETE);
    date->ValidateEdit();
    EXPECT_EQ(date->GetEditingValue().AsDate(), NullDate) << "an emptied date is the null date";
}

} // namespace
} // namespace qel
