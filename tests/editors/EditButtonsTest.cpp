// Edit buttons and their limit.
#include "TestSupport.h"

#include "editors/EditButtons.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Bitmap.h"

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

} // namespace
} // namespace qel
