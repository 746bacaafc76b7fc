// Define Print Styles scripted as a user works it, with a scripted page
// setup in place of the real one: showing and closing, edit, copy, new,
// reset, delete and clear with their questions, Preview and Print pressed in
// a page setup, the keys, and styles or the manager freed while it is open.
#include "preview/DefinePrintStyles.h"

#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Bitmap.h"
#include "preview/PreviewDialogs.h"
#include "printing/Background.h"
#include "printing/PrintStyles.h"

#include <gtest/gtest.h>

#include <memory>

namespace qel {
namespace {

struct DefineStyles : ::testing::Test {
    TComponent owner{nullptr};
    TdxPrintStyleManager* manager = new TdxPrintStyleManager(&owner);
    // The page setup a style runs: answers whether it was accepted.
    std::function<bool(TBasedxPrintStyle&, bool& Preview, bool& Print)> pageSetup;
    std::vector<std::string> pageSetups;
    TdxPrintStyleDialogRunners previous = dxPrintStyleDialogRunners();
    std::vector<std::string> questions;
    int questionBeeps = 0;
    TModalResult answer = mrOk;

    DefineStyles()
    {
        for (const char* caption : {"Standard", "Landscape", "Draft"}) {
            TBasedxPrintStyle* style = manager->AddStyle();
            style->SetStyleCaption(caption);
        }
        manager->Styles(0)->SetBuiltInStyle(true);
        manager->SetCurrentStyle(manager->Styles(0));
        dxPrintStyleDialogRunners().PageSetup = [this](TBasedxPrintStyle& Style, TComponent*, int, bool* Preview,
                                                       bool* Print) {
            pageSetups.push_back(Style.StyleCaption());
            bool preview = false, print = false;
            const bool accepted = pageSetup ? pageSetup(Style, preview, print) : false;
            if (Preview)
                *Preview = preview;
            if (Print)
                *Print = print;
            return accepted;
        };
        SetMessageDlgHook([this](const TMessageDlgParams& P) {
            questions.push_back(P.Text);
            return answer;
        });
        SetBeepHook([this](unsigned Type) { questionBeeps += Type == MB_ICONEXCLAMATION; });
    }
    ~DefineStyles() override
    {
        dxPrintStyleDialogRunners() = previous;
        SetMessageDlgHook(nullptr);
        SetBeepHook(nullptr);
    }

    TdxDefinePrintStylesDlgData Run(const std::function<void(TdxfmDefinePrintStyles&)>& Script)
    {
        TModalFormHookScope hook([&](TForm& F) { Script(dynamic_cast<TdxfmDefinePrintStyles&>(F)); });
        TdxDefinePrintStylesDlgData data;
        data.StyleManager = manager;
        dxDefinePrintStylesDlg(data);
        return data;
    }
    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        for (int i = 0; i < manager->Count(); ++i)
            captions.push_back(manager->Styles(i)->StyleCaption());
        return captions;
    }
    static std::vector<std::string> Listed(TdxfmDefinePrintStyles& D)
    {
        std::vector<std::string> items;
        for (int i = 0; i < D.lbxPrintStyles->Items()->Count(); ++i)
            items.push_back(D.lbxPrintStyles->Items()->Get(i));
        return items;
    }
};

TEST_F(DefineStyles, ShowsTheStylesAndTheSelectedOneBecomesCurrentWhenItCloses)
{
    TdxDefinePrintStylesDlgData none;
    none.PreviewBtnClicked = none.PrintBtnClicked = true;
    bool shown = false;
    {
        TModalFormHookScope hook([&](TForm&) { shown = true; });
        dxDefinePrintStylesDlg(none);
    }
    EXPECT_FALSE(shown) << "nothing to show without a manager";
    EXPECT_FALSE(none.PreviewBtnClicked || none.PrintBtnClicked);

    std::vector<std::string> resets;
    const TdxDefinePrintStylesDlgData data = Run([&](TdxfmDefinePrintStyles& D) {
        EXPECT_EQ(D.Caption(), "Define Print Styles");
        EXPECT_EQ(Listed(D), (std::vector<std::string>{"Standard", "Landscape", "Draft"}));
        EXPECT_EQ(D.SelectedStyle(), manager->Styles(0)) << "the current style";
        EXPECT_TRUE(D.lbxPrintStyles->Focused());
        EXPECT_FALSE(D.btnHelp->Visible());
        EXPECT_EQ(D.btnClose->Top(), D.btnHelp->Top()) << "Close takes Help's place";
        resets.push_back(D.btnReset->Caption());
        SimulateKey(VK_END);
        resets.push_back(D.btnReset->Caption());
        resets.push_back(D.miReset->Caption());
        EXPECT_EQ(D.miReset->ShortCut(), ShortCut(VK_DELETE, {}));
        SimulateKey(VK_ESCAPE);
    });
    EXPECT_EQ(resets, (std::vector<std::string>{"&Reset", "&Delete...", "&Delete..."}));
    EXPECT_EQ(manager->CurrentStyle(), manager->Styles(2));
    EXPECT_FALSE(data.PreviewBtnClicked || data.PrintBtnClicked);

    // A title and help context of the caller's own.
    manager->SetHelpContext(12);
    TModalFormHookScope hook([&](TForm& F) {
        auto& D = dynamic_cast<TdxfmDefinePrintStyles&>(F);
        EXPECT_EQ(D.Caption(), "Druckformate");
        EXPECT_EQ(D.HelpContext(), 77);
        EXPECT_TRUE(D.btnHelp->Visible());
        EXPECT_LT(D.btnClose->Top(), D.btnHelp->Top());
        D.btnClose->Click();
    });
    TdxDefinePrintStylesDlgData titled;
    titled.StyleManager = manager;
    titled.Title = "Druckformate";
    titled.HelpContext = 77;
    dxDefinePrintStylesDlg(titled);
}

TEST_F(DefineStyles, EditRunsThePageSetupAndPrintOrPreviewPressedThereCloses)
{
    pageSetup = [](TBasedxPrintStyle& Style, bool&, bool&) {
        Style.SetStyleCaption(Style.StyleCaption() + " (edited)");
        return true;
    };
    Run([&](TdxfmDefinePrintStyles& D) {
        SimulateKey(VK_DOWN);
        D.btnEdit->Click();
        EXPECT_EQ(Listed(D)[1], "Landscape (edited)") << "refilled after OK";
        const TRect r = D.lbxPrintStyles->ItemRect(2);
        SimulateDblClick(D.lbxPrintStyles, r.Left + 40, r.Top + 5);
        EXPECT_EQ(D.ModalResult(), mrNone) << "an accepted page setup keeps the dialog open";
        D.btnClose->Click();
    });
    EXPECT_EQ(pageSetups, (std::vector<std::string>{"Landscape", "Draft"}));

    pageSetup = [](TBasedxPrintStyle&, bool&, bool& Print) {
        Print = true;
        return true;
    };
    bool closedByPrint = false;
    TdxDefinePrintStylesDlgData data = Run([&](TdxfmDefinePrintStyles& D) {
        D.btnEdit->Click();
        closedByPrint = D.ModalResult() == mrOk;
    });
    EXPECT_TRUE(closedByPrint);
    EXPECT_TRUE(data.PrintBtnClicked);
    EXPECT_FALSE(data.PreviewBtnClicked);

    pageSetup = [](TBasedxPrintStyle&, bool& Preview, bool&) {
        Preview = true;
        return false;   // a preview asked for from a page setup closed without OK
    };
    data = Run([&](TdxfmDefinePrintStyles&) { SimulateKey('E', {ssAlt}); });
    EXPECT_TRUE(data.PreviewBtnClicked);
}

TEST_F(DefineStyles, CopyKeepsAnAcceptedCopyFreesAnotherAndNewStartsAnEmptyList)
{
    pageSetup = [](TBasedxPrintStyle&, bool&, bool&) { return true; };
    Run([&](TdxfmDefinePrintStyles& D) {
        SimulateKey(VK_DOWN);
        D.btnCopy->Click();
        EXPECT_EQ(Listed(D), (std::vector<std::string>{"Standard", "Landscape", "Copy of Landscape", "Draft"}));
        EXPECT_EQ(D.SelectedStyle()->StyleCaption(), "Copy of Landscape");
        D.btnClose->Click();
    });
    EXPECT_EQ(manager->CurrentStyle()->StyleCaption(), "Copy of Landscape");

    pageSetup = [](TBasedxPrintStyle&, bool&, bool&) { return false; };
    Run([&](TdxfmDefinePrintStyles& D) {
        D.miCopy->Click();
        EXPECT_EQ(Listed(D).size(), 4u) << "the copy not taken is gone";
        D.btnClose->Click();
    });
    EXPECT_EQ(manager->Count(), 4);

    manager->Clear();
    pageSetup = [](TBasedxPrintStyle& Style, bool&, bool&) {
        Style.SetStyleCaption("Fresh");
        return true;
    };
    Run([&](TdxfmDefinePrintStyles& D) {
        EXPECT_EQ(D.btnCopy->Caption(), "&New...");
        EXPECT_FALSE(D.btnEdit->Enabled());
        EXPECT_FALSE(D.btnReset->Enabled());
        D.btnCopy->Click();
        EXPECT_EQ(Listed(D), std::vector<std::string>{"Fresh"});
        EXPECT_EQ(D.btnCopy->Caption(), "&Copy...");
        D.btnClose->Click();
    });
    ASSERT_EQ(manager->Count(), 1);
    EXPECT_EQ(manager->Styles(0)->ClassName(), dxDefaultPrintStyleClass());
}

TEST_F(DefineStyles, ResetRestoresABuiltInStyleAndDeletingAsksFirst)
{
    manager->Styles(0)->PrinterPage()->SetOrientation(poLandscape);
    Run([&](TdxfmDefinePrintStyles& D) {
        D.btnReset->Click();
        EXPECT_EQ(manager->Styles(0)->PrinterPage()->Orientation(), poPortrait);
        EXPECT_TRUE(questions.empty()) << "a built-in style is reset without asking";

        SimulateKey(VK_END);
        answer = mrCancel;
        D.btnReset->Click();
        EXPECT_EQ(Listed(D).size(), 3u) << "cancelling keeps the style";
        answer = mrOk;
        SimulateKey(VK_DELETE);   // the menu's shortcut for a user style
        EXPECT_EQ(Listed(D), (std::vector<std::string>{"Standard", "Landscape"}));
        EXPECT_EQ(D.SelectedStyle(), manager->Styles(1)) << "the new last item";
        D.btnClose->Click();
    });
    EXPECT_EQ(questions, (std::vector<std::string>{"Do you want to delete \"Draft\" ?",
                                                   "Do you want to delete \"Draft\" ?"}));
    EXPECT_EQ(questionBeeps, 2);
}

TEST_F(DefineStyles, ClearDeletesEveryUserStyleAfterTheQuestion)
{
    Run([&](TdxfmDefinePrintStyles& D) {
        EXPECT_TRUE(D.miClear->Enabled());
        answer = mrCancel;
        D.miClear->Click();
        EXPECT_EQ(Listed(D).size(), 3u);
        answer = mrOk;
        D.miClear->Click();
        EXPECT_EQ(Listed(D), std::vector<std::string>{"Standard"});
        EXPECT_FALSE(D.miClear->Enabled());
        D.btnClose->Click();
    });
    EXPECT_EQ(questions, std::vector<std::string>(2, "Do you want to delete all not built-in styles ?"));
    EXPECT_EQ(Captions(), std::vector<std::string>{"Standard"});
}

TEST_F(DefineStyles, StylesAndTheManagerFreedWhileItIsOpenAreLeftAlone)
{
    // The edited style freed by its own page setup.
    pageSetup = [](TBasedxPrintStyle& Style, bool&, bool&) {
        delete &Style;
        return true;
    };
    Run([&](TdxfmDefinePrintStyles& D) {
        SimulateKey(VK_DOWN);
        D.btnEdit->Click();
        EXPECT_EQ(Listed(D), (std::vector<std::string>{"Standard", "Draft"}));
        GrabControl(D.lbxPrintStyles);
        // The source of a copy freed while the copy's page setup runs, inside
        // the manager's bracket.
        pageSetup = [this](TBasedxPrintStyle&, bool&, bool&) {
            delete manager->Styles(1);
            return true;
        };
        SimulateKey(VK_END);
        D.btnCopy->Click();
        EXPECT_EQ(Listed(D), (std::vector<std::string>{"Standard", "Copy of Draft"}));
        GrabControl(D.lbxPrintStyles);
        D.btnClose->Click();
    });
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Standard", "Copy of Draft"}));

    // The manager freed from a page setup the dialog runs.
    pageSetup = [this](TBasedxPrintStyle&, bool&, bool&) {
        delete manager;
        manager = nullptr;
        return true;
    };
    Run([&](TdxfmDefinePrintStyles& D) {
        D.btnCopy->Click();
        EXPECT_TRUE(Listed(D).empty());
        EXPECT_FALSE(D.btnCopy->Enabled());
        GrabControl(&D);
        D.btnClose->Click();
    });
}

TEST_F(DefineStyles, TheManagerRunsItThroughTheInstalledRunnerAndAltSFocusesTheList)
{
    const TdxBackgroundSetupProc setup = TdxBackground::SetSetupProc(nullptr);
    dxInstallPreviewDialogs();
    bool preview = true, print = true;
    bool listFocused = false;
    {
        TModalFormHookScope hook([&](TForm& F) {
            auto& D = dynamic_cast<TdxfmDefinePrintStyles&>(F);
            D.btnEdit->SetFocus();
            SimulateKey('S', {ssAlt});
            listFocused = D.lbxPrintStyles->Focused();
            D.btnClose->Click();
        });
        manager->DefinePrintStylesDlg(&preview, &print);
    }
    TdxBackground::SetSetupProc(setup);
    EXPECT_TRUE(listFocused);
    EXPECT_FALSE(preview);
    EXPECT_FALSE(print);
}

} // namespace
} // namespace qel
