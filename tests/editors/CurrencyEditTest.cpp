// The currency editor.
#include "EditorTestSupport.h"

#include "editors/CurrencyEdit.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Shell.h"
#include "platform/core/Locale.h"
#include "platform/core/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::EditorForm;

TEST(CurrencyEdit, TypingAndNullValues)
{
    LocaleScope locale;
    EditorForm f;
    auto* cur = f.StandAlone<TdxInplaceCurrencyEdit>();
    cur->SetEditingValue(Variant(12.5));
    EXPECT_EQ(cur->Text(), "12,50");
    cur->SelectAll();
    SimulateText("1x234.5");
    EXPECT_EQ(cur->Text(), "1234,5") << "'.' types the locale's separator; letters are refused";
    EXPECT_EQ(cur->GetEditingValue(), Variant(1234.5));
    cur->SetMinValue(0);
    cur->SetMaxValue(1000);
    EXPECT_EQ(cur->GetEditingValue(), Variant(1000.0));
    cur->SelectAll();
    SimulateKey(VK_DELETE);
    EXPECT_TRUE(cur->GetEditingValue().IsNull());
    cur->SetNullable(false);
    EXPECT_EQ(cur->GetEditingValue(), Variant(0.0));
    cur->SetNullString("(leer)");
    cur->SetUseThousandSeparator(true);
    EXPECT_EQ(cur->FormatDisplayText(Variant::Null()), "(leer)");
    EXPECT_EQ(cur->FormatDisplayText(Variant(1234567.891)), "1.234.567,89 \u20AC") << "the locale's money text";
    EXPECT_EQ(cur->FormatDisplayText(Variant(-0.5)), "-0,50 \u20AC");
    cur->SetMaxValue(10000);
    cur->SetEditingValue(Variant(1234.5));
    EXPECT_EQ(cur->Text(), "1.234,50");
    EXPECT_EQ(cur->GetEditingValue(), Variant(1234.5)) << "read back through the separators";
    cur->SetDisplayFormat("0.0");
    EXPECT_EQ(cur->FormatDisplayText(Variant(2.25)), "2,3");
}

} // namespace
} // namespace qel
