// Modal forms driven the way a user drives them: the modal-form hook sets
// values, presses keys and buttons, and the form's result comes back.
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Guards.h"
#include "platform/graphics/Bitmap.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace qel {
namespace {

// A small dialog: an edit with a label that has an accelerator, a check
// box, and OK / Cancel buttons.
struct TestDialog {
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    TLabel* label;
    TEdit* edit;
    TCheckBox* check;
    TButton* ok;
    TButton* cancel;
    int okClicks = 0;

    TestDialog()
    {
        form->SetCaption("Test");
        form->SetBorderStyle(bsDialog);
        form->SetClientWidth(300);
        form->SetClientHeight(120);
        label = new TLabel(form.get());
        label->SetParent(form.get());
        label->SetCaption("&Name:");
        label->SetBounds(8, 12, 50, 16);
        edit = new TEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(70, 8, 200, 21);
        label->SetFocusControl(edit);
        check = new TCheckBox(form.get());
        check->SetParent(form.get());
        check->SetCaption("&Wrap lines");
        check->SetBounds(70, 40, 150, 17);
        ok = new TButton(form.get());
        ok->SetParent(form.get());
        ok->SetCaption("OK");
        ok->SetDefault(true);
        ok->SetModalResult(mrOk);
        ok->SetBounds(130, 85, 75, 25);
        ok->OnClick = [this](TObject*) { ++okClicks; };
        cancel = new TButton(form.get());
        cancel->SetParent(form.get());
        cancel->SetCaption("Cancel");
        cancel->SetCancel(true);
        cancel->SetModalResult(mrCancel);
        cancel->SetBounds(215, 85, 75, 25);
    }
};

TEST(ModalDialog, ButtonsKeysAndAcceleratorsEndTheLoop)
{
    {
        TestDialog d;
        TModalFormHookScope hook([&](TForm& f) {
            EXPECT_EQ(&f, d.form.get());
            EXPECT_TRUE(f.Modal());
            EXPECT_TRUE(d.edit->Focused()) << "the first tab stop has the focus";
            SimulateText("abc");
            d.ok->Click();
        });
        EXPECT_EQ(d.form->ShowModal(), mrOk);
        EXPECT_EQ(d.edit->Text(), "abc");
        EXPECT_EQ(d.okClicks, 1);
        EXPECT_FALSE(d.form->Visible());
    }
    {
        TestDialog d;
        TModalFormHookScope hook([&](TForm&) { SimulateKey(VK_ESCAPE); });
        EXPECT_EQ(d.form->ShowModal(), mrCancel);
    }
    {
        // Enter in an edit goes on to the default button.
        TestDialog d;
        TModalFormHookScope hook([&](TForm&) {
            SimulateText("x");
            SimulateKey(VK_RETURN);
        });
        EXPECT_EQ(d.form->ShowModal(), mrOk);
        EXPECT_EQ(d.okClicks, 1);
        EXPECT_EQ(d.edit->Text(), "x");
    }
    {
        // Alt+W toggles the check box; Alt+N brings the focus back to the edit.
        TestDialog d;
        TModalFormHookScope hook([&](TForm&) {
            SimulateKey('W', {ssAlt});
            EXPECT_TRUE(d.check->Checked());
            EXPECT_TRUE(d.check->Focused());
            SimulateKey('N', {ssAlt});
            EXPECT_TRUE(d.edit->Focused());
            SimulateText("y");
            SimulateKey(VK_RETURN);
        });
        EXPECT_EQ(d.form->ShowModal(), mrOk);
        EXPECT_TRUE(d.check->Checked());
        EXPECT_EQ(d.edit->Text(), "y");
    }
    {
        // A script that leaves the form open cancels it rather than waiting for a person.
        TestDialog d;
        TModalFormHookScope hook([&](TForm&) {});
        EXPECT_EQ(d.form->ShowModal(), mrCancel);
    }
}

TEST(ModalDialog, CloseQueryOnCloseAndBadCalls)
{
    TestDialog d;
    int queries = 0;
    d.form->OnCloseQuery = [&](TObject*, bool& canClose) {
        ++queries;
        canClose = !d.edit->Text().empty();
    };
    TCloseAction seen = caNone;
    d.form->OnClose = [&](TObject*, TCloseAction& action) { seen = action; };
    TModalFormHookScope hook([&](TForm& f) {
        d.ok->Click();                       // refused: the edit is empty
        Application().ProcessMessages();
        EXPECT_TRUE(f.Visible());
        // A second ShowModal of the visible form is refused.
        EXPECT_THROW(f.ShowModal(), EInvalidOperation);
        d.edit->SetText("filled");
        d.ok->Click();
    });
    EXPECT_EQ(d.form->ShowModal(), mrOk);
    EXPECT_GE(queries, 1);
    EXPECT_EQ(seen, caHide);

    TForm shown(nullptr);
    shown.Show();
    EXPECT_EQ(test::MessageOf<EInvalidOperation>([&] { shown.ShowModal(); }),
              "Cannot make a visible window modal") << "a visible form cannot become modal";
    shown.Close();
    EXPECT_FALSE(shown.Visible());
}

TEST(ModalDialog, MessageBoxesAnsweredByHooks)
{
    {
        // The message-box hook answers directly and sees the request.
        TMessageDlgParams seen;
        TMessageDlgHookScope hook([&](const TMessageDlgParams& p) {
            seen = p;
            return mrNo;
        });
        EXPECT_EQ(MessageDlg("Delete the style?", mtConfirmation, mbYesNoCancel, 0, mbNo), mrNo);
        EXPECT_EQ(seen.Text, "Delete the style?");
        EXPECT_EQ(seen.Type, mtConfirmation);
        EXPECT_TRUE(seen.Buttons.Contains(mbCancel));
        ASSERT_TRUE(seen.DefaultButton.has_value());
        EXPECT_EQ(*seen.DefaultButton, mbNo);
    }
    {
        // Without it, the message form is a modal form like any other:
        // buttons carry the standard names and captions, Enter takes the default.
        TModalFormHookScope hook([](TForm& f) {
            EXPECT_EQ(f.Caption(), "Confirm");
            auto* yes = dynamic_cast<TButton*>(f.FindComponent("Yes"));
            auto* no = dynamic_cast<TButton*>(f.FindComponent("No"));
            ASSERT_NE(yes, nullptr);
            ASSERT_NE(no, nullptr);
            EXPECT_EQ(yes->Caption(), "&Yes");
            EXPECT_TRUE(no->Default());
            auto* text = dynamic_cast<TLabel*>(f.FindComponent("Message"));
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(text->Caption(), "Replace it?");
            SimulateKey(VK_RETURN);
        });
        EXPECT_EQ(MessageDlg("Replace it?", mtConfirmation, {mbYes, mbNo}, 0, mbNo), mrNo);
    }
    {
        TModalFormHookScope hook([](TForm&) { SimulateKey('A', {ssAlt}); });
        EXPECT_EQ(MessageDlg("Retry?", mtError, mbAbortRetryIgnore, 0), mrAbort);
    }
    {
        // Custom captions; Esc takes Cancel.
        TModalFormHookScope hook([](TForm& f) {
            EXPECT_NE(FindControlByCaption(&f, "Keep"), nullptr);
            SimulateKey(VK_ESCAPE);
        });
        TMessageDlgParams p;
        p.Text = "Changes";
        p.Buttons = {mbOK, mbCancel};
        p.ButtonCaptions[mbOK] = "&Keep";
        EXPECT_EQ(MessageDlgEx(p), mrCancel);
    }
    {
        // Application.MessageBox maps the platform's flags and answers.
        TMessageDlgHookScope hook([](const TMessageDlgParams& p) {
            EXPECT_EQ(p.Buttons, (TMsgDlgButtons{mbRetry, mbCancel}));
            EXPECT_EQ(p.Type, mtWarning);
            EXPECT_EQ(p.DefaultButton.value_or(mbOK), mbCancel);
            return mrRetry;
        });
        EXPECT_EQ(Application().MessageBox("x", "Title", MB_RETRYCANCEL | MB_ICONWARNING | MB_DEFBUTTON2), IDRETRY);
    }
}

TEST(ModalDialog, MessageFormsShowTheIconOfTheirType)
{
    struct Case {
        TMsgDlgType type;
        TPoint probe;       // a point of the 32 x 32 icon that carries its colour
        TColor colour;
    };
    const Case cases[] = {
        {mtError, {5, 16}, RGB(0xD0, 0x10, 0x10)},
        {mtWarning, {8, 26}, RGB(0xFF, 0xCC, 0x00)},
        {mtInformation, {5, 16}, RGB(0x1E, 0x5A, 0xC8)},
        {mtConfirmation, {5, 16}, RGB(0x1E, 0x5A, 0xC8)},
    };
    for (const Case& c : cases) {
        TMessageDlgParams p;
        p.Text = "Short.";
        p.Type = c.type;
        std::unique_ptr<TForm> form = CreateMessageDialog(p);
        auto* image = dynamic_cast<TControl*>(form->FindComponent("Image"));
        ASSERT_NE(image, nullptr) << int(c.type);
        EXPECT_EQ(image->Width(), 32);
        EXPECT_EQ(image->Height(), 32);
        std::unique_ptr<TBitmap> shot = GrabControl(image);
        EXPECT_EQ(ColorToRGB(shot->Pixel(c.probe.X, c.probe.Y)), c.colour) << int(c.type);
        // The text stands right of the icon, the buttons below both.
        auto* text = dynamic_cast<TControl*>(form->FindComponent("Message"));
        auto* ok = dynamic_cast<TControl*>(form->FindComponent("OK"));
        EXPECT_GE(text->Left(), image->Left() + image->Width());
        EXPECT_GE(ok->Top(), image->Top() + image->Height());
        EXPECT_LE(ok->Left() + ok->Width(), form->ClientWidth());
    }
    // ShowMessage has no icon.
    TMessageDlgParams p;
    p.Text = "Plain";
    p.Type = mtCustom;
    std::unique_ptr<TForm> plain = CreateMessageDialog(p);
    EXPECT_EQ(plain->FindComponent("Image"), nullptr);
    EXPECT_EQ(dynamic_cast<TControl*>(plain->FindComponent("Message"))->Left(), 12);
}

TEST(ModalDialog, AMessageFormCanBeRearrangedBeforeItShows)
{
    TMessageDlgParams p;
    p.Text = "Question";
    p.Type = mtWarning;
    p.Buttons = mbYesNoCancel;
    p.ButtonCaptions = {{mbNo, "Restore &Original"}};
    const auto widen = [](TForm& Form) {
        auto* no = dynamic_cast<TControl*>(Form.FindComponent("No"));
        no->SetWidth(150);
        Form.SetClientWidth(Form.ClientWidth() + 75);
    };
    {
        // The message hook answers without a form.
        TMessageDlgHookScope answer([](const TMessageDlgParams& P) {
            EXPECT_EQ(P.ButtonCaptions.at(mbNo), "Restore &Original");
            return mrNo;
        });
        int adjusted = 0;
        EXPECT_EQ(MessageDlgEx(p, [&](TForm&) { ++adjusted; }), mrNo);
        EXPECT_EQ(adjusted, 0);
    }
    // Without it the form shows rearranged, and the modal hook drives it.
    int width = 0;
    TModalFormHookScope hook([&](TForm& Form) {
        width = dynamic_cast<TControl*>(Form.FindComponent("No"))->Width();
        FindControlByCaption(&Form, "Restore Original")->Click();
    });
    EXPECT_EQ(MessageDlgEx(p, widen), mrNo);
    EXPECT_EQ(width, 150);
}

TEST(ModalDialog, HandleExceptionGoesToTheHookAndAbortIsSilent)
{
    std::string reported;
    TValueRestorer<TExceptionEvent> hook(Application().OnException,
                                         [&](TObject*, const std::exception& e) { reported = e.what(); });
    Application().HandleException(EConvertError("'x' is not a valid integer value"));
    EXPECT_EQ(reported, "'x' is not a valid integer value");
    reported.clear();
    Application().HandleException(EAbort("Operation aborted"));
    EXPECT_TRUE(reported.empty());
}

} // namespace
} // namespace qel
