// Edit buttons and their limit, style values with assigned bits, the check
// toggle cycle and glyph size, image value lookup, popup placement.
#include "editors/CheckEdit.h"
#include "editors/EditButtons.h"
#include "editors/EditStyle.h"
#include "editors/ImageEdit.h"
#include "editors/PopupPosition.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Bitmap.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(EditButtons, AtMostEightAndNothingChangesOnRefusal)
{
    TdxEditButtons buttons;
    int changes = 0;
    TChangeLink link(buttons.Changes(), [&](TObject*) { ++changes; });
    for (int i = 0; i < MaxEditButtons; ++i)
        buttons.Add()->SetKind(i == 0 ? bkDown : bkEllipsis);
    EXPECT_GT(changes, 0);
    EXPECT_EQ(test::MessageOf<EdxEditError>([&] { buttons.Add(); }), "Too many buttons ( >= 8)");
    EXPECT_THROW(buttons.Insert(0), EdxEditError);
    EXPECT_EQ(buttons.Count(), MaxEditButtons);

    // Assigning a collection that is too large keeps the old buttons.
    TCollection nine([](TCollection* c) { return new TdxEditButton(c); }, "TdxEditButton");
    for (int i = 0; i < 9; ++i)
        nine.Add();
    EXPECT_THROW(buttons.Assign(&nine), EdxEditError);
    EXPECT_EQ(buttons.Count(), MaxEditButtons);
    EXPECT_EQ(buttons.Items(0)->Kind(), bkDown);

    // The default button: the first marked one, else the first visible.
    buttons.Items(0)->SetVisible(false);
    EXPECT_EQ(buttons.DefaultButton(), buttons.Items(1));
    buttons.Items(3)->SetDefault(true);
    EXPECT_EQ(buttons.DefaultButton(), buttons.Items(3));
    EXPECT_EQ(buttons.VisibleCount(), 7);
}

TEST(EditStyle, UnassignedValuesFollowTheDefaults)
{
    TdxEditStyle host;
    TdxEditStyle editor(&host);
    EXPECT_EQ(editor.ButtonStyle(), btsDefault);
    host.SetButtonStyle(btsFlat);
    EXPECT_EQ(editor.ButtonStyle(), btsFlat) << "not assigned: the host's value";
    int changes = 0;
    TChangeLink link(editor.Changes(), [&](TObject*) { ++changes; });
    editor.SetButtonStyle(btsDefault);
    EXPECT_TRUE(editor.IsAssigned(svButtonStyle));
    EXPECT_EQ(editor.ButtonStyle(), btsDefault) << "assigned, even to the built-in value";
    EXPECT_EQ(changes, 1);
    editor.RestoreDefaults();
    EXPECT_EQ(editor.ButtonStyle(), btsFlat);
    EXPECT_EQ(changes, 2);
    host.SetBorderStyle(xbs3D);
    EXPECT_EQ(changes, 3) << "a change of the defaults is a change of the editor";
    // A defaults chain never loops.
    host.SetDefaults(&editor);
    EXPECT_EQ(host.Defaults(), nullptr);
    EXPECT_EQ(editor.BorderStyle(), xbs3D);
    // A defaults style that goes away is forgotten.
    {
        TdxEditStyle shortLived;
        shortLived.SetButtonStyle(btsSimple);
        editor.SetDefaults(&shortLived);
        EXPECT_EQ(editor.ButtonStyle(), btsSimple);
    }
    EXPECT_EQ(editor.Defaults(), nullptr);
    EXPECT_EQ(editor.ButtonStyle(), btsDefault);
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

TEST(ImageEdit, IndexesByValue)
{
    TStringList values, indexes;
    values.SetCommaText("red,green,blue");
    indexes.SetCommaText("5,x");
    int list = 0, image = 0;
    TdxInplaceImageEdit::GetIndexesByValue("red", &values, &indexes, true, list, image);
    EXPECT_EQ(list, 0);
    EXPECT_EQ(image, 5) << "the ImageIndexes entry";
    TdxInplaceImageEdit::GetIndexesByValue("GREEN", &values, &indexes, true, list, image);
    EXPECT_EQ(list, 1) << "values compare case-insensitively";
    EXPECT_EQ(image, 1) << "no number there: the list index with DefaultImages";
    TdxInplaceImageEdit::GetIndexesByValue("blue", &values, &indexes, false, list, image);
    EXPECT_EQ(list, 2);
    EXPECT_EQ(image, -1) << "no entry and no default images";
    TdxInplaceImageEdit::GetIndexesByValue("black", &values, &indexes, true, list, image);
    EXPECT_EQ(list, -1);
    EXPECT_EQ(image, -1);
    TdxInplaceImageEdit::GetIndexesByValue("red", nullptr, nullptr, true, list, image);
    EXPECT_EQ(list, -1);
}

TEST(PopupPosition, StaysInsideTheWorkAreaNearEachEdge)
{
    const TRect work = Rect(0, 0, 1000, 800);
    struct Row {
        const char* name;
        TPoint p;
        TPoint expected;
    };
    // A 200 x 150 popup under an owner 20 high.
    const Row rows[] = {
        {"middle: unchanged", {400, 300}, {400, 300}},
        {"bottom edge: flips above the owner", {400, 700}, {400, 530}},
        {"right edge: moves left", {900, 300}, {800, 300}},
        {"left edge: moves right", {-50, 300}, {0, 300}},
        {"top edge: never above the work area", {400, -30}, {400, 0}},
        {"bottom-right corner: flips and moves left", {950, 790}, {800, 620}},
        {"exactly fitting at the bottom", {400, 650}, {400, 650}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(AdjustPopupPosition(r.p, 200, 150, 20, work), r.expected) << r.name;

    // Room neither below nor above: the larger side, inside the work area.
    EXPECT_EQ(AdjustPopupPosition({10, 100}, 100, 750, 20, work), Point(10, 50));
    EXPECT_EQ(AdjustPopupPosition({10, 700}, 100, 750, 20, work), Point(10, 0));
    // A work area that does not start at 0 (a task bar on the left and top).
    EXPECT_EQ(AdjustPopupPosition({0, 0}, 100, 100, 20, Rect(60, 30, 1000, 800)), Point(60, 30));
}

} // namespace
} // namespace qel
