// Form lifetime and focus, menus, timers and common dialogs under a script.
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

TEST(FormBehaviour, TabOrderDecidesWhereTabGoes)
{
    TForm form(nullptr);
    std::vector<TEdit*> edits;
    for (int i = 0; i < 3; ++i) {
        auto* e = new TEdit(&form);
        e->SetParent(&form);
        e->SetBounds(8, 8 + 30 * i, 100, 21);
        edits.push_back(e);
    }
    edits[2]->SetTabOrder(0);
    edits[1]->SetTabStop(false);
    EXPECT_EQ(edits[0]->TabOrder(), 1);
    form.Show();
    EXPECT_TRUE(edits[2]->Focused()) << "the first control in tab order starts with the focus";
    SimulateKey(VK_TAB);
    EXPECT_TRUE(edits[0]->Focused());
    SimulateKey(VK_TAB);
    EXPECT_TRUE(edits[2]->Focused()) << "a control without TabStop is passed over";
    SimulateKey(VK_TAB, {ssShift});
    EXPECT_TRUE(edits[0]->Focused());
    EXPECT_EQ(form.ActiveControl(), edits[0]);
    EXPECT_EQ(Screen().ActiveControl(), edits[0]);
    form.Hide();
}

TEST(FormBehaviour, FocusInsideAControlIsNoExit)
{
    // A control that passes the focus to a child of its own (a grid to its
    // cell editor) has not been left; it leaves with the child.
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
    auto* host = new TCustomControl(&form);
    host->SetParent(&form);
    host->SetBounds(8, 8, 200, 200);
    auto* inner = new TEdit(&form);
    inner->SetParent(host);
    inner->SetBounds(10, 10, 80, 21);
    auto* other = new TEdit(&form);
    other->SetParent(&form);
    other->SetBounds(220, 8, 80, 21);
    std::vector<std::string> log;
    for (auto [c, name] : {std::pair<TWinControl*, std::string>{host, "host"}, {inner, "inner"}, {other, "other"}}) {
        c->OnEnter = [&log, name = name](TObject*) { log.push_back("enter " + name); };
        c->OnExit = [&log, name = name](TObject*) { log.push_back("exit " + name); };
    }
    form.Show();
    ASSERT_TRUE(host->Focused());
    log.clear();
    inner->SetFocus();
    host->SetFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"enter inner", "exit inner"}))
        << "into the child and back is neither an exit nor an enter of the host";
    log.clear();
    inner->SetFocus();
    other->SetFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"enter inner", "exit inner", "exit host", "enter other"}));
    log.clear();
    host->SetFocus();
    inner->SetFocus();
    inner->Hide();
    EXPECT_TRUE(host->Focused()) << "a child that goes with the focus hands it to its parent";
    EXPECT_EQ(log, (std::vector<std::string>{"exit other", "enter host", "enter inner", "exit inner"}));
    form.Hide();
}

TEST(FormBehaviour, APressOnAnInactiveWindowActivatesItAndSaysSo)
{
    TForm first(nullptr), second(nullptr);
    auto* panel = new TPanel(&second);
    panel->SetParent(&second);
    panel->SetBounds(0, 0, 50, 50);
    std::vector<bool> activating;
    panel->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
        activating.push_back(second.ClickActivating());
    };
    second.Show();
    first.Show();
    ASSERT_TRUE(first.Active());

    SimulateClick(panel, 5, 5);
    SimulateClick(panel, 5, 5, mbRight);
    EXPECT_EQ(activating, (std::vector<bool>{true, false}));
    EXPECT_TRUE(second.Active());
    EXPECT_FALSE(second.ClickActivating()) << "only while the press is handled";

    // The program itself was inactive: the press activates it and the window.
    Application().SetActive(false);
    SimulateClick(panel, 5, 5);
    EXPECT_TRUE(Application().Active());
    EXPECT_EQ(activating.back(), true);

    // A form that is not shown is not activated by a press on its controls.
    second.Hide();
    first.SetFocus();
    SimulateClick(panel, 5, 5);
    EXPECT_EQ(activating.back(), false);
    EXPECT_TRUE(first.Active());

    first.Hide();
}

TEST(FormBehaviour, CloseActionsAndRelease)
{
    {
        // caNone keeps a modal form open until the script asks again.
        TForm form(nullptr);
        int closes = 0;
        form.OnClose = [&](TObject*, TCloseAction& action) {
            if (++closes == 1)
                action = caNone;
        };
        TModalFormHookScope hook([&](TForm& f) {
            f.SetModalResult(mrOk);
            Application().ProcessMessages();
        });
        EXPECT_EQ(form.ShowModal(), mrCancel) << "the refused close leaves the script's cancel";
        EXPECT_EQ(closes, 2);
    }
    {
        // caFree frees the form once the current event is handled.
        auto* form = new TForm(nullptr);
        bool destroyed = false;
        form->OnDestroy = [&](TObject*) { destroyed = true; };
        form->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
        form->Show();
        form->Close();
        EXPECT_FALSE(destroyed);
        Application().ProcessMessages();
        EXPECT_TRUE(destroyed);
    }
    {
        // OnCreate runs once, before the first show; OnShow and OnHide pair up.
        int created = 0;
        int shown = 0;
        int hidden = 0;
        TForm form(nullptr);
        form.OnCreate = [&](TObject*) { ++created; };
        form.OnShow = [&](TObject*) { ++shown; };
        form.OnHide = [&](TObject*) { ++hidden; };
        form.Show();
        form.Hide();
        form.Show();
        form.Close();
        EXPECT_EQ(created, 1);
        EXPECT_EQ(shown, 2);
        EXPECT_EQ(hidden, 2);
    }
}

TEST(FormBehaviour, TheCaptionIsTheTitleAndClosingTheMainFormEndsTheProgram)
{
    TForm form(nullptr);
    form.SetCaption("Zutrittsmatrix");
    EXPECT_EQ(form.Widget()->windowTitle().toStdString(), "Zutrittsmatrix");

    // The window's close button closes the form; as the main form it ends the
    // program's event loop.
    Application().SetMainForm(&form);
    Finally reset([] {
        Application().SetMainForm(nullptr);
        Application().ResetTerminated();
    });
    form.Show();
    QEventLoop loop;
    bool ended = false;
    PostCall(nullptr, [&] {
        QCloseEvent close;
        QCoreApplication::sendEvent(form.Widget(), &close);
        // Runs only when the loop goes on after the close.
        PostCall(nullptr, [&] {
            if (!ended)
                loop.exit(1);
        });
    });
    EXPECT_EQ(loop.exec(), 0);
    ended = true;
    Application().ProcessMessages();
    EXPECT_TRUE(Application().Terminated());
    EXPECT_FALSE(form.Showing());
}

TEST(FormBehaviour, MenusRadioItemsAndPopupScripts)
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

TEST(FormBehaviour, TimersAndCommonDialogs)
{
    TManualClockScope clock;
    TTimer timer(nullptr);
    int ticks = 0;
    timer.SetInterval(1);
    timer.OnTimer = [&](TObject*) {
        if (++ticks == 2)
            timer.SetEnabled(false);
    };
    clock.Advance(10);
    EXPECT_EQ(ticks, 2);

    TSaveDialog save(nullptr);
    save.SetFilter("Print styles (*.prs)|*.prs|All files (*.*)|*.*");
    TColorDialog colors(nullptr);
    {
        TCommonDialogHookScope hook([](TCommonDialog& d) {
            if (auto* s = dynamic_cast<TSaveDialog*>(&d)) {
                s->SetFileName("/tmp/styles.prs");
                return true;
            }
            if (auto* c = dynamic_cast<TColorDialog*>(&d)) {
                c->SetColor(clTeal);
                c->CustomColors()->SetValue("ColorA", "808000");
                return true;
            }
            return false;
        });
        ASSERT_TRUE(save.Execute());
        EXPECT_EQ(save.FileName(), "/tmp/styles.prs");
        ASSERT_TRUE(colors.Execute());
        EXPECT_EQ(colors.Color(), clTeal);
        TFontDialog font(nullptr);
        EXPECT_FALSE(font.Execute());
    }
    EXPECT_EQ(colors.CustomColors()->Values("ColorA"), "808000");
}

} // namespace
} // namespace qel
