// The MRU editor.
#include "EditorTestSupport.h"
#include "TestSupport.h"

#include "editors/PickEdit.h"
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

TEST(MRUEdit, PostedTextsGoToTheTop)
{
    EditorForm f;
    auto* mru = f.InPlace<TdxInplaceMRUEdit>(Variant("a"));
    mru->SetMaxItemCount(3);
    mru->Items()->SetCommaText("x,y,z");
    int ellipsis = 0;
    mru->OnButtonClick = [&](TObject*) { ++ellipsis; };
    mru->SelectAll();
    SimulateText("y");
    SimulateKey(VK_RETURN);
    EXPECT_EQ(test::Lines(*mru->Items()), (std::vector<std::string>{"y", "x", "z"}));
    f.host->ShowInplaceEditor(mru, Bounds(20, 20, 150, 20), Variant("new"));
    f.host->HideInplaceEditor();
    EXPECT_EQ(test::Lines(*mru->Items()), (std::vector<std::string>{"new", "y", "x"}));
    EXPECT_EQ(mru->EditButtonCount(), 2);
    mru->EditButtonClick(1);
    EXPECT_EQ(ellipsis, 1);
}

} // namespace
} // namespace qel
