#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Guards.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>


namespace qel {
namespace {

TEST(Menus, RadioItemsAndPopupScripts)
{
    TForm form(nullptr);
    auto* popup = new TPopupMenu(&form);
    std::vector<TMenuItem*> zoom;
    for (const char* caption : {"&50%", "&100%", "&200%"}) {
        auto* item = new TMenuItem(&form);
        item->SetCaption(caption);
        item->SetRadioItem(true);
        item->SetGroupIndex(1);
        item->SetAutoCheck(true);
        popup->Items()->Add(item);
        zoom.push_back(item);
    }
    auto* line = new TMenuItem(&form);
    line->SetCaption("-");
    popup->Items()->Add(line);
    EXPECT_TRUE(line->IsLine());
    zoom[1]->SetChecked(true);
    zoom[2]->SetChecked(true);
    EXPECT_FALSE(zoom[1]->Checked()) << "radio items of one group exclude each other";

    int popped = 0;
    popup->OnPopup = [&](TObject*) { ++popped; };
    {
        auto previous = TPopupMenu::SetPopupHook([](TPopupMenu& m, int, int) { m.Items()->Find("50%")->Click(); });
        Finally restore([&] { TPopupMenu::SetPopupHook(previous); });
        popup->Popup(10, 10);
    }
    EXPECT_EQ(popped, 1);
    EXPECT_TRUE(zoom[0]->Checked());
    EXPECT_FALSE(zoom[2]->Checked());

    popup->Items()->Delete(1);
    EXPECT_EQ(popup->Items()->Count(), 3);
    EXPECT_EQ(zoom[2]->MenuIndex(), 1);
    EXPECT_THROW(popup->Items()->Items(5), EListError);
    EXPECT_THROW(popup->Items()->Add(zoom[0]), EInvalidOperation) << "an item has one parent";

    // The object an item stands for: read back whole, forgotten once freed,
    // and an item freed first leaves the object alone.
    auto* first = new TComponent(nullptr);
    auto* second = new TComponent(nullptr);
    zoom[0]->SetTagObject(first);
    zoom[2]->SetTagObject(first);
    line->SetTagObject(second);
    EXPECT_EQ(zoom[0]->TagObject(), first);
    delete first;
    EXPECT_EQ(zoom[0]->TagObject(), nullptr);
    EXPECT_EQ(zoom[2]->TagObject(), nullptr);
    EXPECT_EQ(line->TagObject(), second);
    popup->Items()->Remove(line);
    delete line;
    delete second;
}

} // namespace
} // namespace qel
