#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Clipboard.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Grids.h"
#include "platform/controls/HintWindow.h"
#include "platform/controls/Forms.h"
#include "platform/controls/InputFilter.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/detail/ControlBridge.h"
#include "platform/core/Guards.h"
#include "platform/graphics/Bitmap.h"

#include "ControlTestSupport.h"
#include "ScreenTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include <memory>
#include <vector>


namespace qel {
namespace {

using test::Make;

TEST(PageControl, OnChangingCanRefuse)
{
    TForm form(nullptr);
    form.SetClientWidth(300);
    form.SetClientHeight(200);
    auto* pages = Make<TPageControl>(&form, 0, 0, 300, 200);
    std::vector<TTabSheet*> sheets;
    for (const char* caption : {"&General", "&Margins", "&Header"}) {
        auto* sheet = new TTabSheet(&form);
        sheet->SetPageControl(pages);
        sheet->SetCaption(caption);
        sheets.push_back(sheet);
    }
    EXPECT_EQ(pages->ActivePageIndex(), 0);
    bool allow = false;
    std::vector<int> seenDuringChanging;
    int changes = 0;
    pages->OnChanging = [&](TObject*, bool& allowChange) {
        seenDuringChanging.push_back(pages->ActivePageIndex());
        allowChange = allow;
    };
    pages->OnChange = [&](TObject*) { ++changes; };
    form.Show();

    const TRect tab = pages->TabRect(1);
    ASSERT_FALSE(tab.IsEmpty());
    SimulateClick(pages, tab.Left + tab.Width() / 2, tab.Top + tab.Height() / 2);
    EXPECT_EQ(pages->ActivePageIndex(), 0) << "the refusal keeps the page";
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_EQ(changes, 0);
    ASSERT_EQ(seenDuringChanging.size(), 1u);
    EXPECT_EQ(seenDuringChanging[0], 0) << "OnChanging sees the page being left";

    allow = true;
    SimulateClick(pages, tab.Left + tab.Width() / 2, tab.Top + tab.Height() / 2);
    EXPECT_EQ(pages->ActivePage(), sheets[1]);
    EXPECT_EQ(changes, 1);

    // Accelerators and SelectNextPage ask too; a hidden tab is skipped;
    // setting the page from code asks nobody.
    allow = false;
    SimulateKey('H', {ssAlt});
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    allow = true;
    SimulateKey('H', {ssAlt});
    EXPECT_EQ(pages->ActivePageIndex(), 2);
    sheets[0]->SetTabVisible(false);
    pages->SelectNextPage(true);
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    const std::size_t asked = seenDuringChanging.size();
    pages->SetActivePage(sheets[2]);
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
    EXPECT_EQ(seenDuringChanging.size(), asked);
    EXPECT_TRUE(pages->TabRect(0).IsEmpty());

    // Freeing a sheet takes its tab away.
    delete sheets[1];
    EXPECT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
    form.Hide();
}

TEST(PageControl, TheControlsOfHiddenPagesTakeNeitherFocusNorAccelerators)
{
    TForm form(nullptr);
    form.SetClientWidth(300);
    form.SetClientHeight(200);
    auto* pages = Make<TPageControl>(&form, 0, 0, 300, 200);
    auto* first = new TTabSheet(&form);
    first->SetPageControl(pages);
    first->SetCaption("&Page");
    auto* second = new TTabSheet(&form);
    second->SetPageControl(pages);
    second->SetCaption("&Margins");
    auto* onFirst = Make<TEdit>(first, 10, 10, 100, 21);
    auto* onSecond = Make<TEdit>(second, 10, 10, 100, 21);
    auto* label = Make<TLabel>(second, 10, 40, 100, 13);
    label->SetCaption("&Top:");
    label->SetFocusControl(onSecond);
    form.Show();
    onFirst->SetFocus();

    EXPECT_FALSE(onSecond->CanFocus());
    SimulateKey('T', {ssAlt});
    EXPECT_EQ(Screen().ActiveControl(), onFirst) << "the label of a hidden page";
    EXPECT_EQ(pages->ActivePageIndex(), 0);

    SimulateKey('M', {ssAlt});
    ASSERT_EQ(pages->ActivePageIndex(), 1);
    EXPECT_TRUE(onSecond->CanFocus());
    EXPECT_FALSE(onFirst->CanFocus());
    SimulateKey('T', {ssAlt});
    EXPECT_EQ(Screen().ActiveControl(), onSecond);
    pages->SetActivePage(first);
    EXPECT_TRUE(first->Visible());
    EXPECT_FALSE(second->Visible());
    form.Hide();
}

TEST(ToolBar, LaysOutOtherControlsBetweenItsButtons)
{
    TForm form(nullptr);
    auto* bar = new TToolBar(&form);
    bar->SetParent(&form);
    bar->SetIndent(4);
    bar->SetButtonWidth(27);
    auto add = [&](TToolButtonStyle style) {
        auto* b = new TToolButton(&form);
        b->SetStyle(style);
        b->SetParent(bar);
        return b;
    };
    auto* first = add(tbsButton);
    auto* zoomPanel = new TPanel(&form);
    zoomPanel->SetBounds(500, 50, 80, 22);
    zoomPanel->SetParent(bar);
    auto* last = add(tbsButton);
    form.Show();
    EXPECT_EQ(first->Left(), 4);
    EXPECT_EQ(zoomPanel->Left(), 31);
    EXPECT_EQ(zoomPanel->Top(), first->Top());
    EXPECT_EQ(zoomPanel->Width(), 80);
    EXPECT_EQ(last->Left(), 111);
    zoomPanel->SetVisible(false);
    bar->Realign();
    EXPECT_EQ(last->Left(), 31);
    form.Hide();
}

} // namespace
} // namespace qel
