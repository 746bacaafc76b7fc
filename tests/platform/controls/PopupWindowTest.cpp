// Popup windows: shown without taking the focus, closed by a press outside,
// by Esc and by deactivation, with the reason told to the opener.
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Forms.h"
#include "platform/controls/PopupWindow.h"
#include "platform/controls/StdCtrls.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace qel {
namespace {

struct PopupFixture {
    TForm form{nullptr};
    TEdit* edit;
    TButton* other;
    TPopupWindow* popup;
    TListBox* list;
    std::vector<TPopupCloseReason> reasons;

    PopupFixture()
    {
        form.SetBounds(100, 100, 400, 300);
        edit = new TEdit(&form);
        edit->SetParent(&form);
        edit->SetBounds(10, 10, 150, 21);
        other = new TButton(&form);
        other->SetParent(&form);
        other->SetBounds(10, 200, 80, 25);
        popup = new TPopupWindow(&form);
        list = new TListBox(popup);
        list->SetParent(popup);
        list->SetAlign(alClient);
        list->Items()->Add("one");
        list->Items()->Add("two");
        popup->OnClose = [this](TObject*, TPopupCloseReason Reason) { reasons.push_back(Reason); };
        form.Show();
        edit->SetFocus();
    }

    void Open() { popup->Popup(edit, Bounds(edit->ClientOrigin().X, edit->ClientOrigin().Y + 21, 150, 100)); }
    bool FocusUnmoved() const { return edit->Focused() && Screen().ActiveForm() == &form; }
};

TEST(PopupWindow, OpensWhereAskedWithoutTakingTheFocus)
{
    PopupFixture f;
    f.Open();
    EXPECT_TRUE(f.popup->IsPopped());
    EXPECT_TRUE(f.popup->Visible());
    EXPECT_EQ(f.popup->Opener(), f.edit);
    EXPECT_EQ(f.popup->ScreenRect(), Bounds(f.edit->ClientOrigin().X, f.edit->ClientOrigin().Y + 21, 150, 100));
    EXPECT_TRUE(f.FocusUnmoved());

    // A press inside (even on a list that would take the focus elsewhere) keeps it open and the focus where it was.
    int listDowns = 0;
    f.list->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++listDowns; };
    SimulateClick(f.list, 5, 20);
    EXPECT_EQ(listDowns, 1);
    EXPECT_TRUE(f.popup->IsPopped());
    EXPECT_TRUE(f.reasons.empty());
    EXPECT_TRUE(f.FocusUnmoved());

    // Keys still go to the opener.
    SimulateText("ab");
    EXPECT_EQ(f.edit->Text(), "ab");
    EXPECT_TRUE(f.popup->IsPopped());

    f.popup->ClosePopup();
    EXPECT_FALSE(f.popup->Visible());
    EXPECT_EQ(f.reasons, (std::vector<TPopupCloseReason>{pcrCode}));
    f.popup->ClosePopup();
    EXPECT_EQ(f.reasons.size(), 1u) << "closing a closed popup tells nobody";
}

TEST(PopupWindow, APressOutsideClosesItAndGoesOn)
{
    PopupFixture f;
    f.Open();
    int clicks = 0;
    f.other->OnClick = [&](TObject*) { ++clicks; };
    SimulateClick(f.other, 5, 5);
    EXPECT_FALSE(f.popup->IsPopped());
    EXPECT_FALSE(f.popup->Visible());
    EXPECT_EQ(f.reasons, (std::vector<TPopupCloseReason>{pcrClickOutside}));
    EXPECT_EQ(clicks, 1) << "the press was not swallowed";
}

TEST(PopupWindow, EscClosesItAndGoesNoFurther)
{
    PopupFixture f;
    std::vector<std::uint16_t> editKeys;
    f.edit->OnKeyDown = [&](TObject*, std::uint16_t& Key, TShiftState) { editKeys.push_back(Key); };
    f.Open();
    SimulateKey(VK_ESCAPE);
    EXPECT_FALSE(f.popup->IsPopped());
    EXPECT_EQ(f.reasons, (std::vector<TPopupCloseReason>{pcrEscape}));
    EXPECT_TRUE(editKeys.empty());
    EXPECT_TRUE(f.FocusUnmoved());
    // Closed, Esc is the opener's again.
    SimulateKey(VK_ESCAPE);
    EXPECT_EQ(editKeys, (std::vector<std::uint16_t>{VK_ESCAPE}));
}

TEST(PopupWindow, DeactivatingTheApplicationClosesIt)
{
    PopupFixture f;
    f.Open();
    Application().SetActive(false);
    EXPECT_FALSE(f.popup->IsPopped());
    Application().SetActive(true);
    EXPECT_EQ(f.reasons, (std::vector<TPopupCloseReason>{pcrDeactivate}));
    EXPECT_TRUE(f.FocusUnmoved());
}

TEST(PopupWindow, APopupOpenedFromAPopupBelongsToIt)
{
    PopupFixture f;
    f.Open();
    auto* inner = new TPopupWindow(&f.form);
    std::vector<TPopupCloseReason> innerReasons;
    inner->OnClose = [&](TObject*, TPopupCloseReason Reason) { innerReasons.push_back(Reason); };
    const TPoint at = f.list->ClientOrigin();
    inner->Popup(f.list, Bounds(at.X + 200, at.Y, 60, 60));   // beside the outer popup

    SimulateClick(inner, 5, 5);
    EXPECT_TRUE(inner->IsPopped());
    EXPECT_TRUE(f.popup->IsPopped()) << "a press in the inner popup is inside the outer one";
    SimulateClick(f.list, 5, 5);
    EXPECT_FALSE(inner->IsPopped());
    EXPECT_TRUE(f.popup->IsPopped());
    EXPECT_EQ(innerReasons, (std::vector<TPopupCloseReason>{pcrClickOutside}));

    inner->Popup(f.list, Bounds(at.X + 200, at.Y, 60, 60));
    SimulateKey(VK_ESCAPE);
    EXPECT_FALSE(inner->IsPopped());
    EXPECT_TRUE(f.popup->IsPopped()) << "Esc closes the newest popup only";

    inner->Popup(f.list, Bounds(at.X + 200, at.Y, 60, 60));
    f.popup->ClosePopup();
    EXPECT_FALSE(inner->IsPopped()) << "closing the outer popup closes the inner one first";
    EXPECT_EQ(innerReasons, (std::vector<TPopupCloseReason>{pcrClickOutside, pcrEscape, pcrCode}));
    EXPECT_TRUE(f.FocusUnmoved());
}

TEST(PopupWindow, AFreedOpenerOrAFreedPopupLeavesNothingBehind)
{
    PopupFixture f;
    auto* opener = new TEdit(&f.form);
    opener->SetParent(&f.form);
    f.popup->Popup(opener, Bounds(0, 0, 50, 50));
    delete opener;
    EXPECT_FALSE(f.popup->IsPopped());
    EXPECT_FALSE(f.popup->Visible());
    EXPECT_TRUE(f.reasons.empty()) << "nobody is left to tell";
    SimulateClick(f.other, 5, 5);

    // A popup freed while open takes its filter with it; one freed by its own close event too.
    f.Open();
    f.popup->OnClose = [&](TObject* Sender, TPopupCloseReason) { delete static_cast<TPopupWindow*>(Sender); };
    SimulateClick(f.other, 5, 5);
    SimulateKey(f.edit, VK_ESCAPE);
    auto* another = new TPopupWindow(&f.form);
    another->Popup(f.edit, Bounds(0, 0, 10, 10));
    delete another;
    SimulateClick(f.other, 5, 5);
    EXPECT_TRUE(f.FocusUnmoved() || f.other->Focused());
}

} // namespace
} // namespace qel
