// The button editor.
#include "EditorTestSupport.h"

#include "editors/ButtonEdit.h"
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

TEST(ButtonEdit, ClickKeyAndClicksFireTheButtons)
{
    EditorForm f;
    auto* edit = f.StandAlone<TdxInplaceButtonEdit>(200);
    edit->Buttons()->Add()->SetKind(bkGlyph);
    std::vector<int> clicks;
    edit->OnButtonClick = [&](TObject*, int index) { clicks.push_back(index); };
    SimulateKey(VK_RETURN, {ssCtrl});
    EXPECT_EQ(clicks, (std::vector<int>{0})) << "Ctrl+Enter clicks the default button";
    const TRect second = edit->EditButtonRect(1);
    EXPECT_EQ(second.Right, edit->ClientWidth() - 1) << "inside the one-pixel border";
    SimulateClick(edit, second.Left + 3, second.Top + 3);
    EXPECT_EQ(clicks, (std::vector<int>{0, 1}));
    EXPECT_EQ(edit->EditWindow()->Width() + 2 * GetSystemMetrics(SM_CXVSCROLL) + 2, edit->ClientWidth())
        << "buttons take their room";
    edit->Buttons()->Items(1)->SetEnabled(false);
    SimulateClick(edit, second.Left + 3, second.Top + 3);
    EXPECT_EQ(clicks.size(), 2u) << "a disabled button does not fire";
    EXPECT_THROW(
        {
            for (int i = 0; i < 7; ++i)
                edit->Buttons()->Add();
        },
        EdxEditError);
    EXPECT_EQ(edit->Buttons()->Count(), 8);
    SimulateText("typed");
    EXPECT_EQ(edit->Text(), "typed");
    edit->SetHideEditCursor(true);
    EXPECT_FALSE(edit->EditWindow()->CaretVisible());
    edit->SetHideEditCursor(true);
    edit->SetHideEditCursor(false);
    EXPECT_TRUE(edit->EditWindow()->CaretVisible()) << "hides and shows stay balanced";
}

} // namespace
} // namespace qel
