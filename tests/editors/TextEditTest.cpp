// The mask editor: typing under a mask, mask changes, pasted text.
#include "EditorTestSupport.h"

#include "editors/TextEdit.h"
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
using test::ReportedErrors;

TEST(MaskEdit, NewMaskKeepsTheValueAndPastedTextFollowsTheMask)
{
    LocaleScope locale;
    EditorForm f;
    auto* edit = f.StandAlone<TdxInplaceMaskEdit>();
    edit->SetText("12345");
    edit->SetEditMask("00-000;0;_");
    EXPECT_EQ(edit->EditWindow()->Text(), "12-345");
    EXPECT_EQ(edit->Text(), "12345");
    edit->SetEditMask(">LL-00;1;_");
    EXPECT_EQ(edit->EditWindow()->Text(), "__-45") << "position by position: digits do not fit letters";
    edit->SetText("ab-12");
    EXPECT_EQ(edit->Text(), "AB-12");
    // Text that arrives whole (a paste) is laid out under the mask.
    edit->EditWindow()->SetText("cd");
    EXPECT_EQ(edit->EditWindow()->Text(), "CD-__");
    EXPECT_TRUE(edit->Modified());
    edit->SetEditMask("");
    EXPECT_EQ(edit->Text(), "CD-  ") << "the last value, now unmasked";
    SimulateText("x");
    EXPECT_NE(edit->Text().find('x'), std::string::npos) << "free typing again";
}

TEST(MaskEdit, TypingFollowsTheMaskAndIncompleteValuesAreRefused)
{
    LocaleScope locale;
    EditorForm f;
    ReportedErrors errors;
    auto* edit = f.InPlace<TdxInplaceMaskEdit>(Variant(""));
    edit->SetEditMask("(000) 000-00;0;_");
    EXPECT_EQ(edit->EditWindow()->Text(), "(___) ___-__");
    edit->SetSelection(0, 0);
    SimulateText("03x0123");
    EXPECT_EQ(edit->EditWindow()->Text(), "(030) 123-__") << "the letter was refused";
    EXPECT_EQ(edit->GetTextLength(), 6);
    SimulateKey(VK_BACK);
    EXPECT_EQ(edit->EditWindow()->Text(), "(030) 12_-__");

    SimulateKey(VK_RETURN);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "Invalid input value.  Use escape key to abandon changes");
    EXPECT_TRUE(f.host->posted.empty());
    EXPECT_TRUE(f.host->Editing()) << "the editor stays with the text";
    EXPECT_EQ(edit->SelStart(), 8) << "the caret goes to the missing digit";

    SimulateText("345");
    SimulateKey(VK_RETURN);
    ASSERT_EQ(f.host->posted.size(), 1u);
    EXPECT_EQ(f.host->posted[0], Variant("03012345")) << "literals are not saved";

    // IgnoreMaskBlank lets an untouched mask through.
    f.host->ShowInplaceEditor(edit, Bounds(20, 20, 150, 20), Variant(""));
    edit->SetIgnoreMaskBlank(true);
    SimulateKey(VK_DELETE);
    SimulateKey(VK_RETURN);
    EXPECT_EQ(f.host->posted.size(), 2u);
}

} // namespace
} // namespace qel
