// The page setup dialog used as a user would: values in, OK and Cancel,
// what goes back to the caller, the buttons and tabs offered, keys, and a
// style or printer that goes away while the dialog is open.
#include "PageSetupTestSupport.h"

#include "platform/controls/Buttons.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Bitmap.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "preview/ColorPalette.h"
#include "preview/Preview.h"

namespace qel::test {
namespace {

// An options editor that notes its runs and changes the copy it is given.
int g_editorRuns = 0;
class TTestStyleOptionsEditor : public TdxPrintStyleOptionsEditor {
public:
    using TdxPrintStyleOptionsEditor::TdxPrintStyleOptionsEditor;
    bool Execute(TBasedxPrintStyle& Style, bool& Modified) override
    {
        ++g_editorRuns;
        Style.SetDescription("edited by the options");
        Modified = true;
        return true;
    }
};
const bool g_editorRegistered = RegisterClass<TTestStyleOptionsEditor>("TTestStyleOptionsEditor",
                                                                        "TdxPrintStyleOptionsEditor");

TEST_F(PageSetupTest, OkHandsBackOnlyAChangeAndCancelNothing)
{
    // Cancel after changes: the style keeps everything.
    EXPECT_FALSE(Run([&](TdxfmPageSetupDialog& d) {
        d.rBtnLandscape->SetChecked(true);
        d.chbxShading->SetChecked(true);
        d.btnCancel->Click();
    }));
    EXPECT_EQ(style->PrinterPage()->Orientation(), poPortrait);
    EXPECT_FALSE(style->PrinterPage()->GrayShading());

    // OK without a change: true, and the style is not assigned (what the
    // caller changed meanwhile stays).
    EXPECT_TRUE(Run([&](TdxfmPageSetupDialog& d) {
        EXPECT_FALSE(d.Modified());
        style->SetDescription("set while the dialog is open");
        d.btnOK->Click();
    }));
    EXPECT_EQ(style->Description(), "set while the dialog is open");

    // OK after changes copies them back.
    EXPECT_TRUE(Run([&](TdxfmPageSetupDialog& d) {
        style->SetDescription("changed meanwhile");
        TypeInto(d.edStyleName, "Quer");
        d.rBtnLandscape->SetChecked(true);
        d.chbxShading->SetChecked(true);
        d.rbtnDownThenOver->SetChecked(true);
        d.pgctrlMain->SetActivePage(d.tshHeaderFooter);
        TypeInto(d.memHeaderCenter, "Zutrittsmatrix");
        d.btnOK->Click();
    }));
    TdxPrinterPage* page = style->PrinterPage();
    EXPECT_EQ(style->StyleCaption(), "Quer");
    EXPECT_EQ(page->Orientation(), poLandscape);
    EXPECT_TRUE(page->GrayShading());
    EXPECT_EQ(page->PageOrder(), poDownThenOver);
    EXPECT_EQ(page->PageHeader()->CenterTitle()->Text(), "Zutrittsmatrix\r\n");
    EXPECT_EQ(style->Description(), "set while the dialog is open") << "the whole copy was assigned";
}

TEST_F(PageSetupTest, AStyleBeingCopiedIsHandedBackEvenWithoutAChange)
{
    TBasedxPrintStyle* copy = manager->BeginClone(0);
    TModalFormHookScope hook([&](TForm& Form) {
        auto& d = dynamic_cast<TdxfmPageSetupDialog&>(Form);
        EXPECT_TRUE(d.Modified());
        copy->SetDescription("set while the dialog is open");
        d.btnOK->Click();
    });
    EXPECT_TRUE(copy->PageSetup());
    manager->EndClone(copy);
    EXPECT_EQ(copy->Description(), "") << "assigned from the dialog's copy";
}

TEST_F(PageSetupTest, OptionsEditorsByExactStyleClass)
{
    const auto optionsButton = [&](TdxPageSetupDlgButtons Enabled) {
        TdxPageSetupDialog dialog(nullptr);
        dialog.SetPrintStyle(style);
        dialog.SetButtonsEnabled(Enabled);
        std::pair<bool, bool> shown;
        TModalFormHookScope hook([&](TForm& Form) {
            auto& d = dynamic_cast<TdxfmPageSetupDialog&>(Form);
            shown = {d.btnOptions->Visible(), d.btnOptions->Enabled()};
            d.btnOptions->Click();
            d.btnOK->Click();
        });
        dialog.Execute();
        return shown;
    };
    EXPECT_FALSE(style->HasStyleOptionsDlg());
    EXPECT_FALSE(optionsButton(dxDefaultPageSetupDlgButtons).first) << "no editor for the class";

    RegisterPrintStyleClass("TdxPSPrintStyle", "TTestStyleOptionsEditor");
    RegisterPrintStyleClass("TdxPSPrintStyle", "TTestStyleOptionsEditor");
    Finally unregister([] { UnregisterPrintStyleClass("TdxPSPrintStyle", "TTestStyleOptionsEditor"); });
    EXPECT_TRUE(style->HasStyleOptionsDlg());
    EXPECT_EQ(GetPrintStyleEditorClass("TBasedxPrintStyle"), "") << "no inheritance";
    g_editorRuns = 0;
    EXPECT_EQ(optionsButton({psbPreview, psbPrint}), std::make_pair(true, false));
    EXPECT_EQ(g_editorRuns, 0);
    EXPECT_EQ(style->Description(), "");
    EXPECT_EQ(optionsButton(dxDefaultPageSetupDlgButtons), std::make_pair(true, true));
    EXPECT_EQ(g_editorRuns, 1);
    EXPECT_EQ(style->Description(), "edited by the options") << "the options' change goes back on OK";

    UnregisterPrintStyleClass("TdxPSPrintStyle", "TTestStyleOptionsEditor");
    EXPECT_FALSE(style->HasStyleOptionsDlg()) << "registered once";
}

TEST_F(PageSetupTest, TheCaptionNamesTheStyleOfAManager)
{
    const auto caption = [&] {
        std::string shown;
        Run([&](TdxfmPageSetupDialog& d) { shown = d.Caption(); });
        return shown;
    };
    EXPECT_EQ(caption(), "Page Setup: Standard");
    style->SetStyleCaption("A:B");
    EXPECT_EQ(caption(), "Page Setup: A:B") << "a colon of the name stays";
    style->SetStyleCaption("");
    EXPECT_EQ(caption(), "Page Setup ");
    TdxPSPrintStyle loose(nullptr);
    TdxPageSetupDialog dialog(nullptr);
    EXPECT_EQ(dialog.FormCaption(&loose), "Page Setup");

    // Leaving the name edit names the new caption.
    style->SetStyleCaption("Standard");
    Run([&](TdxfmPageSetupDialog& d) {
        TypeInto(d.edStyleName, "Hoch");
        d.chbxShading->SetFocus();
        EXPECT_EQ(d.Caption(), "Page Setup: Hoch");
    });
}

TEST_F(PageSetupTest, TheHelpButtonShowsExactlyWithAHelpContext)
{
    TdxPageSetupDialog dialog(nullptr);
    dialog.SetPrintStyle(style);
    const auto run = [&](int Context) {
        dialog.SetHelpContext(Context);
        std::vector<int> lefts;
        bool helpVisible = false;
        TModalFormHookScope hook([&](TForm& Form) {
            auto& d = dynamic_cast<TdxfmPageSetupDialog&>(Form);
            helpVisible = d.btnHelp->Visible();
            lefts = {d.btnOK->Left(), d.btnCancel->Left(), d.btnHelp->Left()};
        });
        dialog.Execute();
        return std::make_pair(helpVisible, lefts);
    };
    const auto [withHelp, placed] = run(1234);
    EXPECT_TRUE(withHelp);
    EXPECT_LT(placed[0], placed[1]);
    EXPECT_LT(placed[1], placed[2]);
    const auto [withoutHelp, moved] = run(0);
    EXPECT_FALSE(withoutHelp);
    EXPECT_EQ(moved[0], placed[1]) << "OK takes Cancel's place";
    EXPECT_EQ(moved[1], placed[2]) << "Cancel takes Help's place";
}

TEST_F(PageSetupTest, ButtonsTheCallerDisabledStayDisabled)
{
    TdxPageSetupDialog dialog(nullptr);
    dialog.SetPrintStyle(style);
    dialog.SetButtonsEnabled({psbPreview});
    TModalFormHookScope hook([&](TForm& Form) {
        auto& d = dynamic_cast<TdxfmPageSetupDialog&>(Form);
        EXPECT_TRUE(d.btnPrint->Visible());
        EXPECT_FALSE(d.btnPrint->Enabled());
        d.chbxShading->SetChecked(true);   // every change refreshes the buttons
        EXPECT_FALSE(d.btnPrint->Enabled());
        EXPECT_TRUE(d.btnPrintPreview->Enabled());
        d.btnPrint->Click();
        EXPECT_EQ(d.ModalResult(), mrNone);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_FALSE(dialog.PrintBtnClicked());
}

TEST_F(PageSetupTest, PreviewAndPrintCloseWithOkAndMakeTheStyleCurrent)
{
    TBasedxPrintStyle* other = manager->AddStyle("TdxPSPrintStyle");
    other->SetStyleCaption("Other");
    ASSERT_EQ(manager->CurrentStyle(), style);
    // Buttons are offered only to a caller that asks for them.
    Run([&](TdxfmPageSetupDialog& d) {
        EXPECT_FALSE(d.btnPrint->Visible());
        EXPECT_FALSE(d.btnPrintPreview->Visible());
    });
    bool preview = false, print = false;
    {
        TModalFormHookScope hook([&](TForm& Form) {
            auto& d = dynamic_cast<TdxfmPageSetupDialog&>(Form);
            ASSERT_TRUE(d.btnPrint->Visible() && d.btnPrintPreview->Visible());
            d.btnPrint->Click();
        });
        EXPECT_TRUE(other->PageSetup(0, &preview, &print));
    }
    EXPECT_TRUE(print);
    EXPECT_FALSE(preview);
    EXPECT_EQ(manager->CurrentStyle(), other);

    // Only Preview asked for: Preview takes Print's place.
    TModalFormHookScope hook([&](TForm& Form) {
        auto& d = dynamic_cast<TdxfmPageSetupDialog&>(Form);
        EXPECT_FALSE(d.btnPrint->Visible());
        EXPECT_EQ(d.btnPrintPreview->Left(), d.btnPrint->Left());
        d.btnPrintPreview->Click();
    });
    EXPECT_TRUE(style->PageSetup(0, &preview));
    EXPECT_TRUE(preview);
    EXPECT_EQ(manager->CurrentStyle(), style);
}

TEST_F(PageSetupTest, TheStartTabAndTheTabShowingAtClose)
{
    TdxPageSetupDialog dialog(nullptr);
    dialog.SetPrintStyle(style);
    const auto startsOn = [&](int Index) {
        dialog.SetActivePageIndex(Index);
        std::string shown;
        TModalFormHookScope hook([&](TForm& Form) {
            auto& d = dynamic_cast<TdxfmPageSetupDialog&>(Form);
            shown = d.pgctrlMain->ActivePage()->Caption();
            d.pgctrlMain->SetActivePageIndex(2);
        });
        dialog.Execute();
        EXPECT_EQ(dialog.ActivePageIndex(), 2) << "the tab showing at close";
        return shown;
    };
    EXPECT_EQ(startsOn(7), "&Scaling");
    EXPECT_EQ(startsOn(-3), "&Page");
    style->SetAllowChangeScale(false);
    EXPECT_EQ(startsOn(3), "&Page") << "a hidden tab";
    dialog.SetOptionsVisible(dxAllPageSetupDlgOptions - TdxPageSetupDlgOptions{psoMargins, psoCenterOnPage});
    EXPECT_EQ(startsOn(1), "&Page");
}

TEST_F(PageSetupTest, OptionsHideTheirParts)
{
    TdxPageSetupDialog dialog(nullptr);
    dialog.SetPrintStyle(style);
    int fullHeight = 0;
    {
        TModalFormHookScope hook([&](TForm& Form) { fullHeight = Form.ClientHeight(); });
        dialog.Execute();
    }
    dialog.SetOptionsVisible({psoHFText, psoMargins});
    dialog.SetHFMode(hfmOneSection);
    TModalFormHookScope hook([&](TForm& Form) {
        auto& d = dynamic_cast<TdxfmPageSetupDialog&>(Form);
        EXPECT_LT(d.ClientHeight(), fullHeight) << "no style name strip";
        EXPECT_FALSE(d.pnlStyleName->Visible());
        EXPECT_FALSE(d.gbxPrintOrder->Visible());
        EXPECT_FALSE(d.pnlHFMargins->Visible());
        EXPECT_FALSE(d.prvMargins->Margins()->Header()->Visible());
        EXPECT_TRUE(d.tshHeaderFooter->TabVisible());
        EXPECT_FALSE(d.btnHeaderFont->Visible());
        EXPECT_FALSE(d.gbxFunctions->Visible());
        EXPECT_TRUE(d.memHeaderLeft->Visible());
        EXPECT_FALSE(d.memHeaderCenter->Visible());
        EXPECT_FALSE(d.memFooterRight->Visible());
    });
    dialog.Execute();
}

TEST_F(PageSetupTest, AcceleratorsAndKeys)
{
    // Alt and a tab's letter shows the tab; a label's letter focuses its edit
    // on the tab showing only; Enter in a spin edit counts its text and closes.
    EXPECT_TRUE(Run([&](TdxfmPageSetupDialog& d) {
        d.lbxPaperType->SetFocus();
        SimulateKey('T', {ssAlt});
        EXPECT_EQ(d.pgctrlMain->ActivePage(), d.tshPage) << "Top is on another tab";
        SimulateKey('M', {ssAlt});
        ASSERT_EQ(d.pgctrlMain->ActivePage(), d.tshMargins);
        SimulateKey('T', {ssAlt});
        EXPECT_EQ(Screen().ActiveControl(), d.seTop);
        SimulateKey('A', {ssCtrl});
        SimulateText("30");
        SimulateKey(VK_RETURN);
    }));
    EXPECT_EQ(style->PrinterPage()->Margins()->Top(), 30000);

    // Esc in a memo cancels.
    EXPECT_FALSE(Run([&](TdxfmPageSetupDialog& d) {
        SimulateKey('H', {ssAlt});
        ASSERT_EQ(d.pgctrlMain->ActivePage(), d.tshHeaderFooter);
        TypeInto(d.memFooterLeft, "x");
        SimulateKey(VK_ESCAPE);
        EXPECT_EQ(d.ModalResult(), mrCancel);
    }));
    EXPECT_EQ(style->PrinterPage()->PageFooter()->LeftTitle()->Count(), 0);
}

TEST_F(PageSetupTest, DoubleClickingAnOrientationClosesWithOk)
{
    EXPECT_TRUE(Run([&](TdxfmPageSetupDialog& d) {
        d.rBtnLandscape->SetChecked(true);
        SimulateDblClick(d.rBtnLandscape, 5, 5);
    }));
    EXPECT_EQ(style->PrinterPage()->Orientation(), poLandscape);
}

TEST_F(PageSetupTest, AStyleNameOfAnotherStyleIsRefused)
{
    manager->AddStyle("TdxPSPrintStyle")->SetStyleCaption("Other");
    bool print = false;
    TModalFormHookScope hook([&](TForm& Form) {
        auto& d = dynamic_cast<TdxfmPageSetupDialog&>(Form);
        TypeInto(d.edStyleName, "Other");
        d.btnPrint->Click();
        // As the modal loop asks the form when a button set its result.
        EXPECT_FALSE(d.CloseQuery()) << "refused";
        d.SetModalResult(mrNone);
        EXPECT_FALSE(d.PrintBtnClicked());
        EXPECT_EQ(Screen().ActiveControl(), d.edStyleName);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].Text, "The style name \"Other\" already exists. Please supply another name.");
        TypeInto(d.edStyleName, "other");   // names are told apart by case
        d.btnOK->Click();
    });
    EXPECT_TRUE(style->PageSetup(0, nullptr, &print));
    EXPECT_FALSE(print);
    EXPECT_EQ(style->StyleCaption(), "other");
}

TEST_F(PageSetupTest, PapersSizesAndSources)
{
    style->PrinterPage()->SetDMPaper(9);
    EXPECT_TRUE(Run([&](TdxfmPageSetupDialog& d) {
        ASSERT_EQ(d.lbxPaperType->Items()->Count(), 3);
        EXPECT_EQ(d.lbxPaperType->Items()->Get(d.lbxPaperType->ItemIndex()), "A4");
        EXPECT_DOUBLE_EQ(d.sePaperWidth->Value(), 210);
        EXPECT_DOUBLE_EQ(d.sePaperHeight->Value(), 297);
        EXPECT_EQ(d.cbxPaperSource->Items()->Count(), 2);

        // Letter chosen with the mouse.
        const TRect letter = d.lbxPaperType->ItemRect(1);
        SimulateClick(d.lbxPaperType, letter.Left + 20, (letter.Top + letter.Bottom) / 2);
        EXPECT_EQ(d.EditedStyle()->PrinterPage()->DMPaper(), 1);
        EXPECT_DOUBLE_EQ(d.sePaperWidth->Value(), 215.9);
        EXPECT_EQ(d.prvMargins->OriginalPageSize(), (TPoint{2159, 2794}));

        // A typed size that is no paper of the table selects the custom paper.
        TypeInto(d.sePaperWidth, "200");
        d.sePaperHeight->SetFocus();
        EXPECT_EQ(d.EditedStyle()->PrinterPage()->DMPaper(), 256);
        EXPECT_EQ(d.lbxPaperType->Items()->Get(d.lbxPaperType->ItemIndex()), "Custom Size");

        d.cbxPaperSource->SetItemIndex(1);
        d.cbxPaperSource->OnChange(d.cbxPaperSource);
        d.btnOK->Click();
    }));
    EXPECT_EQ(style->PrinterPage()->DMPaper(), 256);
    EXPECT_EQ(style->PrinterPage()->GetRealPageSize(), (TPoint{200000, 279400}));
    EXPECT_EQ(style->PrinterPage()->PaperSource(), DMBIN_MANUAL);

    // Without custom sizes: no printer paper from 256 on, and fixed sizes.
    style->SetAllowCustomPaperSizes(false);
    Run([&](TdxfmPageSetupDialog& d) {
        EXPECT_EQ(d.lbxPaperType->Items()->Count(), 2);
        EXPECT_TRUE(d.sePaperWidth->ReadOnly());
        EXPECT_TRUE(d.sePaperHeight->ReadOnly());
    });
}

TEST_F(PageSetupTest, OrientationTurnsTheSizesAndTheMargins)
{
    EXPECT_TRUE(Run(
        [&](TdxfmPageSetupDialog& d) {
            TypeInto(d.seLeft, "20");
            d.pgctrlMain->SetActivePage(d.tshPage);
            d.rBtnLandscape->SetChecked(true);
            EXPECT_DOUBLE_EQ(d.sePaperWidth->Value(), 279.4);
            EXPECT_DOUBLE_EQ(d.sePaperHeight->Value(), 215.9);
            EXPECT_EQ(d.prvOrientation->Orientation(), ppoLandscape);
            EXPECT_EQ(d.prvMargins->Orientation(), ppoLandscape);
            // The page turns its margins: the old left one is on top now.
            EXPECT_DOUBLE_EQ(d.seTop->Value(), 20);
            EXPECT_DOUBLE_EQ(d.seLeft->Value(), 12.7);
            d.btnOK->Click();
        },
        1));
    EXPECT_EQ(style->PrinterPage()->Orientation(), poLandscape);
    EXPECT_EQ(style->PrinterPage()->Margins()->Top(), 20000);
}

TEST_F(PageSetupTest, HeaderAndFooterTextsFunctionsAndAlignment)
{
    EXPECT_TRUE(Run(
        [&](TdxfmPageSetupDialog& d) {
            EXPECT_FALSE(d.tbPredefined->Enabled());
            d.memFooterCenter->SetFocus();
            EXPECT_TRUE(d.tbPredefined->Enabled());
            EXPECT_TRUE(d.tbVertAlignment->Enabled());
            EXPECT_TRUE(d.tbtnAlignCenter->Down());
            SimulateText("Seite ");
            d.tbPredefined->Buttons(0)->Click();
            d.tbtnAlignBottom->Click();
            d.memFooterRight->SetFocus();
            EXPECT_TRUE(d.tbPredefined->Enabled()) << "memo to memo";
            d.chbxReverseOnEvenPages->SetFocus();
            EXPECT_FALSE(d.tbPredefined->Enabled());
            EXPECT_FALSE(d.tbVertAlignment->Enabled());
            d.btnOK->Click();
        },
        2));
    TdxPageFooter* footer = style->PrinterPage()->PageFooter();
    EXPECT_EQ(footer->CenterTitle()->Text(), "Seite [Page #]\r\n");
    EXPECT_EQ(footer->CenterTextAlignY(), taBottom);
    EXPECT_EQ(footer->RightTextAlignY(), taCenterY);
}

TEST_F(PageSetupTest, FontsAndBackgroundsGoThroughTheirDialogs)
{
    std::vector<TFontDialogDevice> devices;
    TCommonDialogHookScope fonts([&](TCommonDialog& Dialog) {
        auto& f = dynamic_cast<TFontDialog&>(Dialog);
        devices.push_back(f.Device());
        EXPECT_TRUE(f.Options().Contains(fdScalableOnly));
        f.Font()->SetName("DejaVu Serif");
        f.Font()->SetSize(14);
        return true;
    });
    // The palette: "Red" picked, or a click elsewhere.
    std::vector<TPoint> dropped;
    bool pickRed = true;
    otherForms = [&](TForm& Form) {
        auto& palette = dynamic_cast<TdxfmColorPalette&>(Form);
        dropped.push_back({palette.Left(), palette.Top()});
        EXPECT_EQ(palette.btnNoFill->Caption(), "&No Fill");
        if (pickRed)
            palette.ColorButtons(2)->Click();
        else
            Application().SetActive(false);
    };
    const auto redPixels = [](TBitBtn* Button) {
        int n = 0;
        for (int y = 0; y < Button->Glyph()->Height(); ++y)
            for (int x = 0; x < Button->Glyph()->Width(); ++x)
                n += Button->Glyph()->Pixel(x, y) == TColor(0x0004FF) ? 1 : 0;
        return n;
    };
    EXPECT_TRUE(Run(
        [&](TdxfmPageSetupDialog& d) {
            d.btnHeaderFont->Click();
            EXPECT_EQ(d.edHeaderFontInfo->Text(), "14 pt. DejaVu Serif ");
            EXPECT_EQ(redPixels(d.btnFooterBackGround), 0);
            d.btnFooterBackGround->Click();
            ASSERT_EQ(dropped.size(), 1u);
            EXPECT_EQ(dropped[0], d.btnFooterBackGround->ClientToScreen({0, d.btnFooterBackGround->Height()}))
                << "just below the button";
            EXPECT_GT(redPixels(d.btnFooterBackGround), 0) << "the glyph shows the new fill";
            pickRed = false;
            d.btnHeaderBackground->Click();
            Application().SetActive(true);
            EXPECT_EQ(redPixels(d.btnHeaderBackground), 0);
            d.btnOK->Click();
        },
        2));
    EXPECT_EQ(devices, std::vector<TFontDialogDevice>{fdPrinter});
    EXPECT_EQ(style->PrinterPage()->PageHeader()->Font()->Name(), "DejaVu Serif");
    EXPECT_EQ(style->PrinterPage()->PageFooter()->Background()->Mode(), bmBrush);
    EXPECT_EQ(style->PrinterPage()->PageFooter()->Background()->Brush()->Color(), TColor(0x0004FF));
    EXPECT_EQ(style->PrinterPage()->PageHeader()->Background()->Mode(), bmNone);

    // Without a printer the screen's fonts are asked for.
    UsePrinters({});
    Run([&](TdxfmPageSetupDialog& d) { d.btnFooterFont->Click(); }, 2);
    EXPECT_EQ(devices.back(), fdScreen);
}

TEST_F(PageSetupTest, ScalingKeepsTheModeTheUserChose)
{
    EXPECT_TRUE(Run(
        [&](TdxfmPageSetupDialog& d) {
            ASSERT_TRUE(d.rbtnAdjustTo->Checked());
            TypeInto(d.seFitToTall, "3");
            EXPECT_TRUE(d.rbtnFitTo->Checked());
            EXPECT_EQ(Screen().ActiveControl(), d.seFitToTall) << "typing stays where it is";
            // Passing over Adjust To changes nothing.
            d.seScaleFactor->SetFocus();
            d.seFitToWide->SetFocus();
            d.btnOK->Click();
        },
        3));
    TdxPrinterPage* page = style->PrinterPage();
    EXPECT_EQ(page->ScaleMode(), smFit);
    EXPECT_EQ(page->FitToPagesByTall(), 3);
    EXPECT_EQ(page->ScaleFactor(), 100);
}

TEST_F(PageSetupTest, TheMarginsPreviewDrawsTheCallersPicture)
{
    TdxPageSetupDialog dialog(nullptr);
    dialog.SetPrintStyle(style);
    dialog.SetActivePageIndex(1);
    std::vector<TRect> rects;
    TBasedxPrintStyle* drawn = nullptr;
    dialog.OnCustomDrawPreview = [&](TObject*, TBasedxPrintStyle* S, TCanvas&, TRect& Page, TRect& Content,
                                     TRect& Header, TRect& Footer) {
        drawn = S;
        rects = {Page, Content, Header, Footer};
    };
    int shown = 0, closed = 0;
    dialog.OnShow = [&](TObject*) { ++shown; };
    dialog.OnClose = [&](TObject*) { ++closed; };
    TModalFormHookScope hook([&](TForm& Form) {
        auto& d = dynamic_cast<TdxfmPageSetupDialog&>(Form);
        EXPECT_EQ(shown, 1);
        GrabControl(d.prvMargins);
        EXPECT_EQ(drawn, d.EditedStyle());
    });
    dialog.Execute();
    EXPECT_EQ(closed, 1);
    ASSERT_EQ(rects.size(), 4u);
    const TRect& page = rects[0];
    const TRect& content = rects[1];
    EXPECT_GT(content.Left, page.Left);
    EXPECT_LT(content.Right, page.Right);
    EXPECT_EQ(rects[2].Bottom, content.Top) << "the header band ends at the top margin";
    EXPECT_GT(rects[2].Top, page.Top);
    EXPECT_EQ(rects[3].Top, content.Bottom);
    EXPECT_LT(rects[3].Bottom, page.Bottom);
}

TEST_F(PageSetupTest, TheStyleOrThePrinterFreedWhileTheDialogIsOpen)
{
    // The printer device goes and comes back: the dialog asks it anew.
    EXPECT_TRUE(Run(
        [&](TdxfmPageSetupDialog& d) {
            dxPrintDeviceInstance(2);
            TypeInto(d.seHeader, "1");
            d.seFooter->SetFocus();
            EXPECT_TRUE(d.OutsidePrintableWarning());
            d.pgctrlMain->SetActivePage(d.tshPage);
            const TRect a4 = d.lbxPaperType->ItemRect(0);
            SimulateClick(d.lbxPaperType, a4.Left + 20, (a4.Top + a4.Bottom) / 2);
            GrabControl(&d);
            d.btnOK->Click();
        },
        1));
    EXPECT_EQ(style->PrinterPage()->DMPaper(), 9);

    // The style goes: OK still closes, and nothing is handed back.
    TdxPageSetupDlgData data;
    data.PrintStyle = style;
    data.Title = "Page Setup";
    data.ButtonsEnabled = data.ButtonsVisible = dxDefaultPageSetupDlgButtons;
    data.OptionsEnabled = data.OptionsVisible = dxAllPageSetupDlgOptions;
    TModalFormHookScope hook([&](TForm& Form) {
        auto& d = dynamic_cast<TdxfmPageSetupDialog&>(Form);
        d.chbxShading->SetChecked(true);
        delete style;
        style = nullptr;
        EXPECT_EQ(d.CallerStyle(), nullptr);
        d.pgctrlMain->SetActivePage(d.tshMargins);
        d.btnRestoreOriginalMargins->Click();
        TypeInto(d.edStyleName, "Neu");
        d.btnOK->Click();
        EXPECT_EQ(d.ModalResult(), mrOk);
    });
    EXPECT_TRUE(dxPageSetupDlg(data));
    EXPECT_EQ(data.PrintStyle, nullptr);
    EXPECT_EQ(manager->Count(), 0);
}

} // namespace
} // namespace qel::test
