// Editors hosted in a container: posting, cancelling, keys left to the
// host, a host refusing changes.
#include "EditorTestSupport.h"

#include "editors/TextEdit.h"
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

TEST(InplaceEdit, HostedEditorPostsOnEnterAndCancelsOnEscape)
{
    EditorForm f;
    auto* edit = f.InPlace<TdxInplaceTextEdit>(Variant("old"));
    EXPECT_TRUE(edit->IsInplace());
    EXPECT_TRUE(f.host->Editing());
    EXPECT_EQ(edit->Text(), "old");
    EXPECT_FALSE(edit->Modified()) << "showing a value is no change";
    edit->SetSelection(0, 3);
    SimulateText("new");
    EXPECT_EQ(edit->Text(), "new");
    EXPECT_TRUE(edit->Modified());
    EXPECT_EQ(f.host->changes, 3);
    SimulateKey(VK_RETURN);
    ASSERT_EQ(f.host->posted.size(), 1u);
    EXPECT_EQ(f.host->posted[0], Variant("new"));
    EXPECT_FALSE(f.host->Editing());
    EXPECT_FALSE(edit->Visible());
    EXPECT_TRUE(f.host->Focused()) << "the focus goes back to the host";

    // Esc leaves without posting.
    f.host->ShowInplaceEditor(edit, Bounds(20, 40, 150, 20), Variant::Null());
    EXPECT_EQ(edit->Text(), "") << "Null shows as empty text";
    SimulateText("x");
    SimulateKey(VK_ESCAPE);
    EXPECT_EQ(f.host->posted.size(), 1u);
    EXPECT_FALSE(f.host->Editing());
}

TEST(InplaceEdit, KeysTheEditorDoesNotUseGoToTheHost)
{
    EditorForm f;
    auto* edit = f.InPlace<TdxInplaceTextEdit>(Variant("abc"));
    SimulateKey(VK_HOME);
    SimulateKey(VK_RIGHT);
    SimulateKey(VK_DELETE);
    EXPECT_TRUE(f.host->keys.empty()) << "caret keys are the text's";
    EXPECT_EQ(edit->Text(), "ac");
    SimulateKey(VK_DOWN);
    SimulateKey(VK_TAB);
    EXPECT_EQ(f.host->keys, (std::vector<std::uint16_t>{VK_DOWN, VK_TAB}));
    EXPECT_TRUE(f.host->Editing()) << "the base host ignores them";

    // Losing the focus to another control posts and hides.
    auto* other = new TdxInplaceTextEdit(f.form.get());
    other->SetParent(f.form.get());
    other->SetBounds(0, 250, 100, 20);
    other->SetFocus();
    ASSERT_EQ(f.host->posted.size(), 1u);
    EXPECT_EQ(f.host->posted[0], Variant("ac"));
    EXPECT_FALSE(edit->Visible());
}

TEST(InplaceEdit, HostThatRefusesChangesKeepsTheValue)
{
    EditorForm f;
    f.host->allowModify = false;
    auto* edit = f.InPlace<TdxInplaceTextEdit>(Variant("fixed"));
    EXPECT_FALSE(edit->CanModify());
    SimulateKey(VK_END);
    SimulateText("zz");
    SimulateKey(VK_BACK);
    SimulateKey(VK_HOME);
    SimulateKey(VK_DELETE);
    SimulateKey('X', {ssCtrl});
    EXPECT_EQ(edit->Text(), "fixed") << "no typing, deleting or cutting";
    f.host->allowModify = true;
    edit->SetReadOnly(true);
    EXPECT_FALSE(edit->CanModify());
    SimulateText("zz");
    EXPECT_EQ(edit->Text(), "fixed");
}

} // namespace
} // namespace qel
