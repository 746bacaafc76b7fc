// The memo editor.
#include "EditorTestSupport.h"

#include "editors/MemoEdit.h"
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

TEST(MemoEdit, EnterStartsALineAndTheValueIsTheWholeText)
{
    EditorForm f;
    auto* memo = f.InPlace<TdxInplaceMemoEdit>(Variant("one"));
    memo->SetSelection(3, 0);
    SimulateKey(VK_RETURN);
    SimulateText("two");
    EXPECT_TRUE(f.host->Editing()) << "Enter is the memo's";
    EXPECT_EQ(memo->Lines()->Count(), 2);
    SimulateKey(VK_UP);
    EXPECT_TRUE(f.host->keys.empty());
    memo->SetWantReturns(false);
    SimulateKey(VK_RETURN);
    ASSERT_EQ(f.host->posted.size(), 1u);
    EXPECT_EQ(VarToStr(f.host->posted[0]), memo->Text());
    EXPECT_NE(memo->Text().find("two"), std::string::npos);
}

} // namespace
} // namespace qel
