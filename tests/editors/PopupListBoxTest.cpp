// The popup list box's border.
#include "EditorTestSupport.h"
#include "TestSupport.h"

#include "editors/PopupListBox.h"
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

TEST(PopupListBox, BorderKindChangesBorderAndClientAtOnce)
{
    TForm form(nullptr);
    auto* list = new TCustomdxPopupListBox(&form);
    list->SetParent(&form);
    list->SetBounds(0, 0, 100, 100);
    list->Items()->SetCommaText("a,b,c,d,e");
    list->SetItemHeight(10);
    list->SetBorderKind(pbSingle);
    EXPECT_EQ(list->ClientRect(), Rect(1, 1, 99, 99));
    EXPECT_EQ(list->ItemRect(0).Top, 1);
    list->SetBorderKind(pbFrame3D);
    EXPECT_EQ(list->ClientRect(), Rect(4, 4, 96, 96)) << "no window to recreate: the new client at once";
    EXPECT_EQ(list->ItemRect(0), Rect(4, 4, 96, 14));
    EXPECT_EQ(list->VisibleRowCount(), 9);
    EXPECT_EQ(list->HeightForRows(3), 3 * 10 + 8);
    EXPECT_EQ(list->HeightForRows(7), 5 * 10 + 8) << "never more rows than items";
    list->Items()->SetCommaText("a,b,c,d,e,f,g,h,i,j");
    EXPECT_LT(list->ClientRect().Right, 96) << "the scroll bar takes its room";
    list->SetBorderKind(200);
    EXPECT_EQ(list->BorderKind(), pbDefault) << "an unknown kind is the default";
    EXPECT_EQ(list->ItemAtPos({50, 15}), 1);
    list->SetItemIndex(9);
    EXPECT_EQ(list->TopIndex(), 10 - list->VisibleRowCount()) << "the selection scrolls into view";
    EXPECT_TRUE(list->HandleKey(VK_HOME, {}));
    EXPECT_EQ(list->TopIndex(), 0);
}

} // namespace
} // namespace qel
