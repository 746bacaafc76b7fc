// Context menus through the printing system's manager: the menu keys and a
// right click on registered controls, the platform's own handling for the
// rest, menus that must not show, builders that replace the menu, and the
// manager's bookkeeping of registered and freed controls.
#include "preview/PopupMenuManager.h"

#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

struct Shown {
    TPopupMenu* menu;
    TPoint at;
    TComponent* component;
};

struct MenuHarness {
    TForm form{nullptr};
    TEdit* edit;
    TPanel* panel;
    TPopupMenu* menu;
    std::vector<Shown> shown;
    std::vector<std::string> events;
    TPopupMenu::TPopupHook previousHook;

    MenuHarness()
    {
        form.SetBounds(50, 60, 300, 200);
        panel = new TPanel(&form);
        panel->SetParent(&form);
        panel->SetBounds(10, 10, 200, 150);
        edit = new TEdit(&form);
        edit->SetParent(panel);
        edit->SetBounds(20, 20, 100, 21);
        menu = new TPopupMenu(&form);
        menu->OnPopup = [this](TObject*) { events.push_back("popup"); };
        edit->SetPopupMenu(menu);
        edit->OnMouseUp = [this](TObject*, TMouseButton B, TShiftState, int, int) {
            if (B == mbRight)
                events.push_back("up");
        };
        edit->OnContextPopup = [this](TObject*, TPoint, bool&) { events.push_back("context"); };
        previousHook = TPopupMenu::SetPopupHook(
            [this](TPopupMenu& M, int X, int Y) { shown.push_back({&M, {X, Y}, M.PopupComponent()}); });
        form.Show();
    }
    ~MenuHarness()
    {
        TPopupMenu::SetPopupHook(previousHook);
        dxPSPopupMenuRelease();
        form.Hide();
    }
};

TEST(PopupMenuManager, MenuKeysShowTheMenuAtTheControlsCorner)
{
    MenuHarness h;
    dxPSPopupMenuRegister(h.edit);
    SimulateKey(h.edit, VK_F10, {ssShift});
    ASSERT_EQ(h.shown.size(), 1u);
    EXPECT_EQ(h.shown[0].at, h.edit->ClientOrigin());
    EXPECT_EQ(h.shown[0].component, h.edit);
    EXPECT_EQ(h.events, (std::vector<std::string>{"context", "popup", "popup"}))
        << "the manager's notification, then the menu's own on showing";
    SimulateKey(VK_APPS);
    EXPECT_EQ(h.shown.size(), 2u);
    SimulateKey(VK_APPS, {ssAlt});
    SimulateKey(VK_F10);
    EXPECT_EQ(h.shown.size(), 2u);
}

TEST(PopupMenuManager, RightClicksOnRegisteredControlsGoThroughTheManagerOthersAsUsual)
{
    MenuHarness h;
    // Unregistered: the platform's own handling, at the pointer.
    SimulateClick(h.edit, 5, 6, mbRight);
    ASSERT_EQ(h.shown.size(), 1u);
    EXPECT_EQ(h.shown[0].at, h.edit->ClientToScreen({5, 6}));
    EXPECT_EQ(dxPSPopupMenuManager(), nullptr);

    h.events.clear();
    dxPSPopupMenuRegister(h.edit);
    SimulateClick(h.edit, 7, 8, mbRight);
    ASSERT_EQ(h.shown.size(), 2u);
    EXPECT_EQ(h.shown[1].at, h.edit->ClientToScreen({7, 8}));
    EXPECT_EQ(h.events, (std::vector<std::string>{"up", "context", "popup", "popup"}))
        << "the release reaches the control first, and the platform's own menu does not follow";

    // An unregistered child of a registered control: the parent's menu, the parent hears the release.
    TPopupMenu panelMenu(nullptr);
    h.panel->SetPopupMenu(&panelMenu);
    int panelReleases = 0;
    h.panel->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++panelReleases; };
    dxPSPopupMenuUnregister(h.edit);
    dxPSPopupMenuRegister(h.panel);
    h.events.clear();
    SimulateClick(h.edit, 9, 9, mbRight);
    ASSERT_EQ(h.shown.size(), 3u);
    EXPECT_EQ(h.shown[2].menu, &panelMenu);
    EXPECT_EQ(h.shown[2].component, h.panel);
    EXPECT_EQ(panelReleases, 1);
    EXPECT_TRUE(h.events.empty()) << "the release went to the panel instead of the edit";
    h.panel->SetPopupMenu(nullptr);
}

TEST(PopupMenuManager, MenusThatMustNotShowAndHandledRequests)
{
    MenuHarness h;
    dxPSPopupMenuRegister(h.edit);
    h.menu->SetAutoPopup(false);
    SimulateKey(h.edit, VK_APPS);
    SimulateClick(h.edit, 5, 5, mbRight);
    EXPECT_TRUE(h.shown.empty());
    h.menu->SetAutoPopup(true);
    h.edit->OnContextPopup = [](TObject*, TPoint, bool& Handled) { Handled = true; };
    SimulateKey(VK_APPS);
    EXPECT_TRUE(h.shown.empty());
}

// A builder that shows a menu of its own and counts what it frees.
struct SwapBuilder : TAbstractdxPSPopupMenuBuilder {
    static inline TPopupMenu* Replacement = nullptr;
    static inline int Freed = 0;
    static inline bool Allowed = true;
    static bool CanShowPopup(TPopupMenu*) { return Allowed; }
    TPopupMenu* BuildPopupMenu(TControl*, TPopupMenu*) override { return Replacement; }
    void FreePopupMenu(TPopupMenu*&) override { ++Freed; }
    void Popup(int X, int Y, TPopupMenu* Menu, TControl*) override { Menu->Popup(X, Y); }
};

TEST(PopupMenuManager, TheLastRegisteredBuilderDecidesWhatShows)
{
    MenuHarness h;
    TPopupMenu other(nullptr);
    SwapBuilder::Replacement = &other;
    dxPSPopupMenuRegister(h.edit);
    const TdxPSPopupMenuBuilderClass* swap = dxPSPopupMenuBuilderClassOf<SwapBuilder>();
    dxPSPopupMenuBuilderRegister(swap);
    EXPECT_EQ(dxPSPopupMenuCurrentBuilderClass(), swap);
    SimulateKey(h.edit, VK_APPS);
    ASSERT_EQ(h.shown.size(), 1u);
    EXPECT_EQ(h.shown[0].menu, &other);
    EXPECT_EQ(SwapBuilder::Freed, 1);
    SwapBuilder::Allowed = false;
    SimulateKey(VK_APPS);
    EXPECT_EQ(h.shown.size(), 1u);
    SwapBuilder::Allowed = true;
    dxPSPopupMenuBuilderUnregister(swap);
    EXPECT_EQ(dxPSPopupMenuCurrentBuilderClass(), dxPSPopupMenuBuilderClassOf<TdxStandardPSPopupMenuBuilder>());
    SimulateKey(VK_APPS);
    EXPECT_EQ(h.shown.back().menu, h.menu);
}

TEST(PopupMenuManager, RegistrationBookkeeping)
{
    {
        TPanel orphan(nullptr);
        dxPSPopupMenuUnregister(&orphan);
        EXPECT_EQ(dxPSPopupMenuManager(), nullptr) << "unregistering creates no manager";
    }
    MenuHarness h;
    dxPSPopupMenuRegister(h.edit);
    dxPSPopupMenuRegister(h.edit);
    EXPECT_EQ(dxPSPopupMenuManager()->Count(), 1);
    delete h.edit;
    EXPECT_EQ(dxPSPopupMenuManager()->Count(), 0) << "a freed control leaves the list";
    dxPSPopupMenuRegister(h.panel);
    dxPSPopupMenuUnregister(h.panel);
    EXPECT_FALSE(dxPSPopupMenuManager()->IsRegistered(h.panel));
}

} // namespace
} // namespace qel
