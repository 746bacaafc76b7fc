// The host side of in-place editing: switching editors, editors freed while
// shown, style defaults from the host.
#include "EditorTestSupport.h"

#include "editors/DropDownEdit.h"
#include "editors/TextEdit.h"
#include "platform/controls/Automation.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::EditorForm;

TEST(Container, SwitchingEditorsPostsTheOpenOne)
{
    EditorForm f;
    auto* first = f.InPlace<TdxInplaceTextEdit>(Variant("a"));
    SimulateText("b");
    auto* second = new TdxInplaceTextEdit(f.host);
    f.host->ShowInplaceEditor(second, Bounds(20, 60, 100, 20), Variant("c"));
    ASSERT_EQ(f.host->posted.size(), 1u);
    EXPECT_EQ(f.host->posted[0], Variant("b"));
    EXPECT_FALSE(first->Visible());
    EXPECT_EQ(f.host->InplaceEditor(), second);

    // CloseInplaceEditor posts but leaves the editor where it is.
    f.host->CloseInplaceEditor();
    EXPECT_EQ(f.host->posted.size(), 2u);
    EXPECT_FALSE(f.host->Editing());
    EXPECT_TRUE(second->Visible());

    // An editor freed while it is shown leaves no dangling host state.
    f.host->ShowInplaceEditor(second, Bounds(20, 60, 100, 20), Variant("d"));
    delete second;
    EXPECT_EQ(f.host->InplaceEditor(), nullptr);
    EXPECT_FALSE(f.host->Editing());
    f.host->HideInplaceEditor();
    EXPECT_EQ(f.host->posted.size(), 2u);
}

TEST(Container, EditorsTakeUnassignedStyleValuesFromTheHost)
{
    EditorForm f;
    auto* edit = f.InPlace<TdxInplaceDropDownEdit>(Variant(""));
    EXPECT_EQ(edit->Style()->ButtonStyle(), btsDefault);
    f.host->EditStyle()->SetButtonStyle(btsHotFlat);
    EXPECT_EQ(edit->Style()->ButtonStyle(), btsHotFlat);
    edit->Style()->SetButtonStyle(bts3D);
    EXPECT_EQ(edit->Style()->ButtonStyle(), bts3D);
    edit->SetDefaultStyleValues();
    EXPECT_EQ(edit->Style()->ButtonStyle(), btsHotFlat);
    EXPECT_EQ(edit->EditWindow()->Left(), 0) << "no border in a cell";

    // Stand-alone editors draw a border and keep the built-in defaults.
    TdxInplaceTextEdit alone(nullptr);
    EXPECT_FALSE(alone.IsInplace());
    EXPECT_EQ(alone.Style()->ButtonStyle(), btsDefault);
    EXPECT_EQ(alone.EditWindow()->Left(), 1);
}

} // namespace
} // namespace qel
