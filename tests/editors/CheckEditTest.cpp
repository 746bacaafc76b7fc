// The check editor: toggling in a host, the toggle cycle, glyph sizes.
#include "EditorTestSupport.h"
#include "TestSupport.h"

#include "editors/CheckEdit.h"
#include "platform/controls/Automation.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::EditorForm;

TEST(CheckEdit, SpaceAndClicksToggleInAHost)
{
    EditorForm f;
    auto* check = f.InPlace<TdxInplaceCheckEdit>(Variant(int(cbChecked)));
    EXPECT_EQ(check->State(), cbChecked);
    SimulateKey(VK_SPACE);
    EXPECT_EQ(check->State(), cbUnchecked);
    SimulateClick(check, 5, 5);
    EXPECT_EQ(check->State(), cbChecked);
    SimulateKey(VK_RETURN);
    ASSERT_EQ(f.host->posted.size(), 1u);
    EXPECT_EQ(f.host->posted[0], Variant(int(cbChecked)));
}

TEST(CheckEdit, ToggleCycleWithAndWithoutGrayed)
{
    EXPECT_EQ(TdxInplaceCheckEdit::NextState(cbUnchecked, false), cbChecked);
    EXPECT_EQ(TdxInplaceCheckEdit::NextState(cbChecked, false), cbUnchecked);
    EXPECT_EQ(TdxInplaceCheckEdit::NextState(cbGrayed, false), cbChecked);
    EXPECT_EQ(TdxInplaceCheckEdit::NextState(cbUnchecked, true), cbGrayed);
    EXPECT_EQ(TdxInplaceCheckEdit::NextState(cbGrayed, true), cbChecked);
    EXPECT_EQ(TdxInplaceCheckEdit::NextState(cbChecked, true), cbUnchecked);

    TdxInplaceCheckEdit edit(nullptr);
    int toggles = 0;
    edit.OnToggleClick = [&](TObject*) { ++toggles; };
    edit.SetAllowGrayed(true);
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        edit.Toggle();
        seen.push_back(edit.GetEditingValue().AsInteger());
    }
    EXPECT_EQ(seen, (std::vector<int>{cbGrayed, cbChecked, cbUnchecked, cbGrayed}));
    EXPECT_EQ(toggles, 4);
    EXPECT_TRUE(edit.Modified());
    edit.SetReadOnly(true);
    edit.Toggle();
    EXPECT_EQ(edit.State(), cbGrayed) << "a read-only box does not toggle";
    EXPECT_EQ(toggles, 4);

    // Values that are no state show grayed.
    for (const Variant& v : {Variant::Null(), Variant(), Variant(7), Variant("x")}) {
        edit.SetEditingValue(Variant(1));
        edit.SetEditingValue(v);
        EXPECT_EQ(edit.State(), cbGrayed);
    }
    edit.SetEditingValue(Variant(true));
    EXPECT_EQ(edit.State(), cbChecked);
}

TEST(CheckEdit, GlyphSizeFromCustomGlyphOrSystem)
{
    EXPECT_EQ(TdxInplaceCheckEdit::CalcGlyphSize(nullptr, 6), (TSize{13, 13}));
    TBitmap strip(96, 14);
    EXPECT_EQ(TdxInplaceCheckEdit::CalcGlyphSize(&strip, 6), (TSize{16, 14}));
    EXPECT_EQ(TdxInplaceCheckEdit::CalcGlyphSize(&strip, 3), (TSize{32, 14}));
    EXPECT_EQ(TdxInplaceCheckEdit::CalcGlyphSize(&strip, 0), (TSize{96, 14})) << "no division by zero";
    TBitmap empty;
    EXPECT_EQ(TdxInplaceCheckEdit::CalcGlyphSize(&empty, 6), (TSize{13, 13}));
}

} // namespace
} // namespace qel
