// Editors driven by synthesized keys: hosted in a container (posting,
// cancelling, keys left to the host, a host refusing changes) and
// stand-alone; text, mask, spin, time, currency, memo, graphic, hyperlink
// and button editors.
#include "EditorTestSupport.h"

#include "editors/ButtonEdit.h"
#include "editors/CurrencyEdit.h"
#include "editors/GraphicEdit.h"
#include "editors/HyperLinkEdit.h"
#include "editors/MemoEdit.h"
#include "editors/SpinEdit.h"
#include "editors/TextEdit.h"
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
using test::ReportedErrors;

TEST(InplaceEdit, HostedEditorPostsOnEnterAndCancelsOnEscape)
{
    EditorForm f;
    auto* edit = f.InPlace<TdxInplaceTextEdit>(Variant("old"));
    EXPECT_TRUE(edit->IsInplace());
    EXPECT_TRUE(f.host->Editing());
    EXPECT_EQ(edit->Text(), "old");
    EXPECT_FALSE(edit->Modified()) << "showing a value is no change";
    edit->SetSelection(0, 3);
    SimulateText("new");
    EXPECT_EQ(edit->Text(), "new");
    EXPECT_TRUE(edit->Modified());
    EXPECT_EQ(f.host->changes, 3);
    SimulateKey(VK_RETURN);
    ASSERT_EQ(f.host->posted.size(), 1u);
    EXPECT_EQ(f.host->posted[0], Variant("new"));
    EXPECT_FALSE(f.host->Editing());
    EXPECT_FALSE(edit->Visible());
    EXPECT_TRUE(f.host->Focused()) << "the focus goes back to the host";

    // Esc leaves without posting.
    f.host->ShowInplaceEditor(edit, Bounds(20, 40, 150, 20), Variant::Null());
    EXPECT_EQ(edit->Text(), "") << "Null shows as empty text";
    SimulateText("x");
    SimulateKey(VK_ESCAPE);
    EXPECT_EQ(f.host->posted.size(), 1u);
    EXPECT_FALSE(f.host->Editing());
}

TEST(InplaceEdit, KeysTheEditorDoesNotUseGoToTheHost)
{
    EditorForm f;
    auto* edit = f.InPlace<TdxInplaceTextEdit>(Variant("abc"));
    SimulateKey(VK_HOME);
    SimulateKey(VK_RIGHT);
    SimulateKey(VK_DELETE);
    EXPECT_TRUE(f.host->keys.empty()) << "caret keys are the text's";
    EXPECT_EQ(edit->Text(), "ac");
    SimulateKey(VK_DOWN);
    SimulateKey(VK_TAB);
    EXPECT_EQ(f.host->keys, (std::vector<std::uint16_t>{VK_DOWN, VK_TAB}));
    EXPECT_TRUE(f.host->Editing()) << "the base host ignores them";

    // Losing the focus to another control posts and hides.
    auto* other = new TdxInplaceTextEdit(f.form.get());
    other->SetParent(f.form.get());
    other->SetBounds(0, 250, 100, 20);
    other->SetFocus();
    ASSERT_EQ(f.host->posted.size(), 1u);
    EXPECT_EQ(f.host->posted[0], Variant("ac"));
    EXPECT_FALSE(edit->Visible());
}

TEST(InplaceEdit, HostThatRefusesChangesKeepsTheValue)
{
    EditorForm f;
    f.host->allowModify = false;
    auto* edit = f.InPlace<TdxInplaceTextEdit>(Variant("fixed"));
    EXPECT_FALSE(edit->CanModify());
    SimulateKey(VK_END);
    SimulateText("zz");
    SimulateKey(VK_BACK);
    SimulateKey(VK_HOME);
    SimulateKey(VK_DELETE);
    SimulateKey('X', {ssCtrl});
    EXPECT_EQ(edit->Text(), "fixed") << "no typing, deleting or cutting";
    f.host->allowModify = true;
    edit->SetReadOnly(true);
    EXPECT_FALSE(edit->CanModify());
    SimulateText("zz");
    EXPECT_EQ(edit->Text(), "fixed");
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

TEST(SpinEdit, ArrowsAndButtonsStepWithinTheLimits)
{
    LocaleScope locale;
    EditorForm f;
    auto* spin = f.StandAlone<TdxInplaceSpinEdit>();
    spin->SetMinValue(0);
    spin->SetMaxValue(3);
    spin->SetIncrement(1.5);
    spin->SetEditingValue(Variant(1.0));
    SimulateKey(VK_UP);
    EXPECT_EQ(spin->GetEditingValue(), Variant(2.5));
    SimulateKey(VK_UP);
    EXPECT_EQ(spin->GetEditingValue(), Variant(3.0)) << "cut to MaxValue";
    const TRect down = spin->EditButtonRect(1);
    SimulateClick(spin, down.Left + 2, down.Top + 2);
    EXPECT_EQ(spin->GetEditingValue(), Variant(1.5));
    spin->SelectAll();
    SimulateText("a2,5");
    EXPECT_EQ(spin->Text(), "2,5") << "only number characters";
    spin->SelectAll();
    SimulateKey(VK_DELETE);
    EXPECT_TRUE(spin->GetEditingValue().IsNull());

    // In a grid, UseCtrlIncrement leaves plain arrows to the host.
    auto* inGrid = f.InPlace<TdxInplaceSpinEdit>(Variant(5));
    inGrid->SetUseCtrlIncrement(true);
    SimulateKey(VK_UP);
    EXPECT_EQ(f.host->keys, (std::vector<std::uint16_t>{VK_UP}));
    SimulateKey(VK_UP, {ssCtrl});
    EXPECT_EQ(inGrid->GetEditingValue(), Variant(6.0));
}

TEST(TimeEdit, TypedDigitsAndTheArrowsStepThePartUnderTheCaret)
{
    LocaleScope locale;
    EditorForm f;
    auto* time = f.StandAlone<TdxInplaceTimeEdit>();
    time->SetEditingValue(Variant::FromDate(EncodeTime(9, 30, 0, 0)));
    EXPECT_EQ(time->Text(), "09:30:00");
    time->SetSelection(0, 0);
    SimulateKey(VK_UP);
    EXPECT_EQ(time->Text(), "10:30:00");
    time->SetSelection(4, 0);
    SimulateKey(VK_DOWN);
    EXPECT_EQ(time->Text(), "10:29:00");
    time->SetSelection(0, 0);
    SimulateText("2359");
    EXPECT_EQ(time->Text(), "23:59:00");
    EXPECT_EQ(time->GetEditingValue(), Variant::FromDate(EncodeTime(23, 59, 0, 0)));
    time->SetSelection(0, 0);
    SimulateKey(VK_UP);
    EXPECT_EQ(time->Text(), "00:59:00") << "hours wrap around the day";

    time->SetTimeEditFormat(tfHourMin);
    EXPECT_EQ(time->Text(), "00:59");
    time->SetSelection(0, 0);
    SimulateText("77");
    EXPECT_THROW(time->ValidateEdit(), EConvertError);
    time->SetEditingValue(Variant::Null());
    EXPECT_TRUE(time->GetEditingValue().IsNull());
}

TEST(CurrencyEdit, TypingAndNullValues)
{
    LocaleScope locale;
    EditorForm f;
    auto* cur = f.StandAlone<TdxInplaceCurrencyEdit>();
    cur->SetEditingValue(Variant(12.5));
    EXPECT_EQ(cur->Text(), "12,50");
    cur->SelectAll();
    SimulateText("1x234.5");
    EXPECT_EQ(cur->Text(), "1234,5") << "'.' types the locale's separator; letters are refused";
    EXPECT_EQ(cur->GetEditingValue(), Variant(1234.5));
    cur->SetMinValue(0);
    cur->SetMaxValue(1000);
    EXPECT_EQ(cur->GetEditingValue(), Variant(1000.0));
    cur->SelectAll();
    SimulateKey(VK_DELETE);
    EXPECT_TRUE(cur->GetEditingValue().IsNull());
    cur->SetNullable(false);
    EXPECT_EQ(cur->GetEditingValue(), Variant(0.0));
    cur->SetNullString("(leer)");
    cur->SetUseThousandSeparator(true);
    EXPECT_EQ(cur->FormatDisplayText(Variant::Null()), "(leer)");
    EXPECT_EQ(cur->FormatDisplayText(Variant(1234567.891)), "1.234.567,89 \u20AC") << "the locale's money text";
    EXPECT_EQ(cur->FormatDisplayText(Variant(-0.5)), "-0,50 \u20AC");
    cur->SetMaxValue(10000);
    cur->SetEditingValue(Variant(1234.5));
    EXPECT_EQ(cur->Text(), "1.234,50");
    EXPECT_EQ(cur->GetEditingValue(), Variant(1234.5)) << "read back through the separators";
    cur->SetDisplayFormat("0.0");
    EXPECT_EQ(cur->FormatDisplayText(Variant(2.25)), "2,3");
}

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

TEST(GraphicEdit, PictureBytesRoundTripAndKeysEditThePicture)
{
    EditorForm f;
    auto* g = f.StandAlone<TdxInplaceGraphicEdit>();
    TBitmap bmp(4, 3);
    bmp.SetPixel(1, 1, clRed);
    TMemoryStream stream;
    bmp.SaveToStream(stream);
    g->SetEditingValue(Variant(stream.Bytes()));
    EXPECT_EQ(g->Picture()->Width(), 4);
    const Variant back = g->GetEditingValue();
    TdxInplaceGraphicEdit other(nullptr);
    other.SetEditingValue(back);
    EXPECT_EQ(other.Picture()->Bitmap()->Pixel(1, 1), clRed);

    EXPECT_THROW(g->SetEditingValue(Variant("no picture")), Exception);
    EXPECT_EQ(g->Picture()->Width(), 4) << "bad bytes keep the picture";

    SimulateKey('C', {ssCtrl});
    SimulateKey(VK_DELETE);
    EXPECT_TRUE(g->GetEditingValue().IsNull());
    EXPECT_TRUE(g->Modified());
    SimulateKey('V', {ssCtrl});
    EXPECT_EQ(g->Picture()->Width(), 4) << "pasted back from the clipboard";

    EXPECT_EQ(TdxInplaceGraphicEdit::PictureRect(Rect(0, 0, 100, 50), 200, 50, true, true), Bounds(0, 12, 100, 25))
        << "scaled down keeping the proportions";
    EXPECT_EQ(TdxInplaceGraphicEdit::PictureRect(Rect(0, 0, 100, 50), 20, 10, true, true), Bounds(40, 20, 20, 10));
    EXPECT_EQ(TdxInplaceGraphicEdit::PictureRect(Rect(0, 0, 100, 50), 20, 10, false, false), Bounds(0, 0, 20, 10));
}

TEST(HyperLinkEdit, StartKeyOpensTheTrimmedLink)
{
    EditorForm f;
    std::vector<std::string> opened;
    TShellOpenHookScope hook([&](const std::string& link) {
        opened.push_back(link);
        return true;
    });
    auto* link = f.InPlace<TdxInplaceHyperLinkEdit>(Variant("  https://example.org/a b "));
    SimulateKey(VK_RETURN, {ssCtrl});
    EXPECT_EQ(opened, (std::vector<std::string>{"https://example.org/a b"}));
    EXPECT_TRUE(f.host->Editing()) << "Ctrl+Enter is the link's key";
    EXPECT_EQ(link->Text(), "  https://example.org/a b ");

    link->OnStartClick = [](TObject*, bool& handled) { handled = true; };
    EXPECT_TRUE(link->Start());
    EXPECT_EQ(opened.size(), 1u) << "a handler that opened it itself";
    link->OnStartClick = nullptr;
    link->SetText("   ");
    EXPECT_FALSE(link->Start());
    EXPECT_EQ(opened.size(), 1u);
}

TEST(ButtonEdit, ClickKeyAndClicksFireTheButtons)
{
    EditorForm f;
    auto* edit = f.StandAlone<TdxInplaceButtonEdit>(200);
    edit->Buttons()->Add()->SetKind(bkGlyph);
    std::vector<int> clicks;
    edit->OnButtonClick = [&](TObject*, int index) { clicks.push_back(index); };
    SimulateKey(VK_RETURN, {ssCtrl});
    EXPECT_EQ(clicks, (std::vector<int>{0})) << "Ctrl+Enter clicks the default button";
    const TRect second = edit->EditButtonRect(1);
    EXPECT_EQ(second.Right, edit->ClientWidth() - 1) << "inside the one-pixel border";
    SimulateClick(edit, second.Left + 3, second.Top + 3);
    EXPECT_EQ(clicks, (std::vector<int>{0, 1}));
    EXPECT_EQ(edit->EditWindow()->Width() + 2 * GetSystemMetrics(SM_CXVSCROLL) + 2, edit->ClientWidth())
        << "buttons take their room";
    edit->Buttons()->Items(1)->SetEnabled(false);
    SimulateClick(edit, second.Left + 3, second.Top + 3);
    EXPECT_EQ(clicks.size(), 2u) << "a disabled button does not fire";
    EXPECT_THROW(
        {
            for (int i = 0; i < 7; ++i)
                edit->Buttons()->Add();
        },
        EdxEditError);
    EXPECT_EQ(edit->Buttons()->Count(), 8);
    SimulateText("typed");
    EXPECT_EQ(edit->Text(), "typed");
    edit->SetHideEditCursor(true);
    EXPECT_FALSE(edit->EditWindow()->CaretVisible());
    edit->SetHideEditCursor(true);
    edit->SetHideEditCursor(false);
    EXPECT_TRUE(edit->EditWindow()->CaretVisible()) << "hides and shows stay balanced";
}

} // namespace
} // namespace qel
