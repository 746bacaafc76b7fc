// Smaller promises of the editors: popups closed by the application losing
// the focus, a popup control put back when its editor goes, mask changes
// keeping the value, pasted text under a mask, integer spinning, a spin
// editor that takes no typing, and a date typed under the date mask.
#include "EditorTestSupport.h"

#include "editors/DateEdit.h"
#include "editors/PickEdit.h"
#include "editors/PopupEdit.h"
#include "editors/SpinEdit.h"
#include "editors/TextEdit.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/core/Locale.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

using test::EditorForm;

TEST(DropDownEdit, LosingTheApplicationFocusClosesWithoutTakingTheValue)
{
    EditorForm f;
    auto* pick = f.InPlace<TdxInplacePickEdit>(Variant("b"));
    pick->Items()->SetCommaText("a,b,c");
    bool accepted = true;
    pick->OnCloseUp = [&](TObject*, Variant&, bool& accept) { accepted = accept; };
    SimulateKey(VK_F4);
    SimulateKey(VK_DOWN);
    Application().SetActive(false);
    Application().SetActive(true);
    EXPECT_FALSE(pick->DroppedDown());
    EXPECT_FALSE(accepted);
    EXPECT_EQ(pick->Text(), "b");
    EXPECT_TRUE(f.host->Editing()) << "only the popup closed";
}

TEST(PopupEdit, ControlGoesBackWhenTheEditorIsFreedWhileOpen)
{
    EditorForm f;
    auto* panel = new TPanel(f.form.get());
    panel->SetParent(f.form.get());
    panel->SetBounds(5, 6, 70, 40);
    auto* edit = f.StandAlone<TdxInplacePopupEdit>();
    edit->SetPopupControl(panel);
    SimulateKey(VK_F4);
    ASSERT_TRUE(edit->DroppedDown());
    delete edit;
    EXPECT_EQ(panel->Parent(), f.form.get());
    EXPECT_EQ(panel->BoundsRect(), Bounds(5, 6, 70, 40));
    // A popup control freed first is forgotten.
    auto* other = f.StandAlone<TdxInplacePopupEdit>();
    other->SetPopupControl(panel);
    delete panel;
    EXPECT_EQ(other->PopupControl(), nullptr);
    SimulateKey(VK_F4);
    EXPECT_TRUE(other->DroppedDown()) << "an empty popup opens";
    SimulateKey(VK_ESCAPE);
}

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

TEST(SpinEdit, IntegerValuesAndNoTyping)
{
    LocaleScope locale;
    EditorForm f;
    auto* spin = f.StandAlone<TdxInplaceSpinEdit>();
    spin->SetValueType(vtInt);
    spin->SetIncrement(2);
    spin->SetEditingValue(Variant(2.6));
    EXPECT_EQ(spin->Text(), "3");
    SimulateKey(VK_DOWN);
    EXPECT_EQ(spin->Text(), "1");
    spin->SelectAll();
    SimulateText("1,5");
    EXPECT_EQ(spin->Text(), "15") << "no decimal separator for integers";
    spin->SetEditorEnabled(false);
    spin->SelectAll();
    SimulateText("7");
    EXPECT_EQ(spin->Text(), "15");
    SimulateKey(VK_UP);
    EXPECT_EQ(spin->Text(), "17") << "the arrows still spin";
    spin->SetEditorEnabled(true);
    spin->SetValueType(vtFloat);
    spin->SelectAll();
    SimulateText("1e");
    spin->SetModified(true);
    EXPECT_THROW(spin->ValidateEdit(), EConvertError);
    EXPECT_TRUE(spin->GetEditingValue().IsNull());
}

TEST(DateEdit, TypingUnderTheDateMask)
{
    LocaleScope locale;
    EditorForm f;
    auto* date = f.StandAlone<TdxInplaceDateEdit>();
    date->SetUseEditMask(true);
    date->SetEditingValue(Variant::Null());
    EXPECT_EQ(date->EditWindow()->Text(), "__.__.____");
    date->SetSelection(0, 0);
    SimulateText("03122026");
    EXPECT_EQ(date->EditWindow()->Text(), "03.12.2026");
    EXPECT_EQ(date->Date(), EncodeDate(2026, 12, 3));
    date->SelectAll();
    SimulateKey(VK_DELETE);
    date->ValidateEdit();
    EXPECT_EQ(date->GetEditingValue().AsDate(), NullDate) << "an emptied date is the null date";
}

} // namespace
} // namespace qel
