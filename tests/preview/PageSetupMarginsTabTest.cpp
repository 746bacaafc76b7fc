// The Margins tab of the page setup dialog used as a user would: typing and
// dragging margins, the warning pane, Fix and Restore Original, leaving the
// tab and closing with OK.
#include "PageSetupTestSupport.h"

#include "platform/controls/ComCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "preview/Preview.h"

namespace qel::test {
namespace {

// A printer whose printable area starts Tenths tenths of a millimetre in,
// at Resolution pixels per inch.
TScriptedPrinter PrinterWithBorder(int Tenths, int Resolution = 300)
{
    TScriptedPrinter p = TScriptedPrinterBackend::MakePrinter("Rand");
    for (TPrinterPaper& paper : *p.Papers)
        paper.MarginLeft = paper.MarginTop = paper.MarginRight = paper.MarginBottom = Tenths;
    p.Limits.Resolution = Resolution;
    return p;
}

class PageSetupMarginsTab : public PageSetupTest {
protected:
    // Types Text into a margin and moves on to another control, as a user does.
    void TypeMargin(TdxfmPageSetupDialog& D, TdxPSSpinEdit* Edit, const std::string& Text)
    {
        TypeInto(Edit, Text);
        (Edit == D.seLeft ? D.seRight : D.seLeft)->SetFocus();
    }
    void ClickTab(TdxfmPageSetupDialog& D, TTabSheet* Sheet)
    {
        const TRect tab = D.pgctrlMain->TabRect(Sheet->PageIndex());
        SimulateClick(D.pgctrlMain, (tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2);
    }
    // Drags a margin line of the margins preview to the pixel At (across the line).
    void DragMargin(TdxfmPageSetupDialog& D, TdxPreviewMarginType Kind, int At)
    {
        TdxPreview* p = D.prvMargins;
        TdxPreviewMargin* m = p->Margins()->Items(Kind);
        const TRect page = p->PageBounds(0);
        const int line = m->ValueToPixel(m->Value());
        const bool vertical = m->IsVertical();
        const int along = vertical ? (page.Top + page.Bottom) / 2 : page.Left + page.Width() / 3;
        const auto point = [&](int Across) { return vertical ? TPoint{Across, along} : TPoint{along, Across}; };
        SimulateMouseMove(p, point(line).X, point(line).Y);
        SimulateMouseDown(p, mbLeft, point(line).X, point(line).Y);
        SimulateMouseMove(p, point((line + At) / 2).X, point((line + At) / 2).Y, {ssLeft});
        SimulateMouseMove(p, point(At).X, point(At).Y, {ssLeft});
        SimulateMouseUp(p, mbLeft, point(At).X, point(At).Y);
    }
};

TEST_F(PageSetupMarginsTab, TheWarningPaneFollowsTheMarginsAndFixCorrectsThem)
{
    EXPECT_TRUE(Run(
        [&](TdxfmPageSetupDialog& d) {
            ASSERT_EQ(d.pgctrlMain->ActivePage(), d.tshMargins);
            EXPECT_FALSE(d.btnFix->Enabled());
            EXPECT_FALSE(d.btnRestoreOriginalMargins->Enabled());
            // Metric Letter leaves 229,4 mm to top and bottom together.
            TypeMargin(d, d.seTop, "150");
            EXPECT_TRUE(d.btnRestoreOriginalMargins->Enabled()) << "typing changes the margins";
            EXPECT_EQ(beeps, 0);
            TypeMargin(d, d.seBottom, "100");
            EXPECT_TRUE(d.InvalidMarginsWarning());
            EXPECT_EQ(d.WarningText(), "One or more margins has invalid values");
            EXPECT_TRUE(d.bmaWarning->State());
            EXPECT_EQ(beeps, 1);
            EXPECT_TRUE(d.btnFix->Enabled());
            EXPECT_FALSE(d.prvMargins->OptionsView().Contains(povMargins)) << "invalid margins are not drawn";
            // Still invalid: no second beep.
            TypeMargin(d, d.seBottom, "90");
            EXPECT_EQ(beeps, 1);

            // Fix clamps header, footer, top, bottom in that order: Top gives way.
            d.btnFix->Click();
            EXPECT_FALSE(d.InvalidMarginsWarning());
            EXPECT_FALSE(d.bmaWarning->State());
            EXPECT_EQ(d.WarningText(), "");
            EXPECT_FALSE(d.btnFix->Enabled());
            EXPECT_DOUBLE_EQ(d.seTop->Value(), 139.4);
            EXPECT_DOUBLE_EQ(d.seBottom->Value(), 90);
            EXPECT_TRUE(d.prvMargins->OptionsView().Contains(povMargins));
            EXPECT_EQ(d.prvMargins->Margins()->Top()->Value(), 1394);
            d.btnOK->Click();
        },
        1));
    EXPECT_EQ(style->PrinterPage()->Margins()->Top(), 139400);
    EXPECT_EQ(style->PrinterPage()->Margins()->Bottom(), 90000);
    EXPECT_TRUE(asked.empty()) << "valid margins close without a question";
}

TEST_F(PageSetupMarginsTab, FixAndRestoreOnTheInvertedCases)
{
    // Footer 50, top 200, bottom 5: one pass of Fix in the order header,
    // footer, top, bottom would leave bottom above the room top leaves.
    EXPECT_TRUE(Run(
        [&](TdxfmPageSetupDialog& d) {
            TypeMargin(d, d.seFooter, "50");
            TypeMargin(d, d.seTop, "200");
            TypeMargin(d, d.seBottom, "5");
            ASSERT_TRUE(d.InvalidMarginsWarning());
            d.btnFix->Click();
            EXPECT_FALSE(d.InvalidMarginsWarning()) << "one press of Fix";
            EXPECT_DOUBLE_EQ(d.seBottom->Value(), 50);
            EXPECT_DOUBLE_EQ(d.seTop->Value(), 179.4);

            // Restore brings the style's margins back and checks them.
            TypeMargin(d, d.seTop, "220");
            ASSERT_TRUE(d.InvalidMarginsWarning());
            d.btnRestoreOriginalMargins->Click();
            EXPECT_DOUBLE_EQ(d.seTop->Value(), 12.7);
            EXPECT_DOUBLE_EQ(d.seBottom->Value(), 12.7);
            EXPECT_DOUBLE_EQ(d.seFooter->Value(), 6.35);
            EXPECT_FALSE(d.InvalidMarginsWarning());
            EXPECT_FALSE(d.bmaWarning->State());
            d.btnOK->Click();
        },
        1));
    EXPECT_EQ(style->PrinterPage()->Margins()->Top(), 12700);
}

TEST_F(PageSetupMarginsTab, APrinterBorderWarnsAndFixRaisesTheMarginsPastIt)
{
    // 50 pixels at 600 per inch: 0,0833 inch, shown with two decimals as 0,08.
    UsePrinters({PrinterWithBorder(21, 600)});
    TFormatSettings inch = DefaultFormatSettings();
    inch.MeasureMetric = false;
    LocaleScope inchLocale(inch);
    TdxPrinterPage::RebuildDefaultPage();
    style->PrinterPage()->CheckLocaleUnits();
    EXPECT_TRUE(Run(
        [&](TdxfmPageSetupDialog& d) {
            TypeMargin(d, d.seHeader, "0");
            EXPECT_TRUE(d.OutsidePrintableWarning());
            EXPECT_FALSE(d.InvalidMarginsWarning());
            EXPECT_EQ(d.WarningText(), "One or more margins are set outside the printable area of the page");
            EXPECT_TRUE(d.btnFix->Enabled());
            d.btnFix->Click();
            EXPECT_DOUBLE_EQ(d.seHeader->Value(), 0.09);
            EXPECT_FALSE(d.OutsidePrintableWarning()) << "the raised margin is outside the border";
            EXPECT_FALSE(d.bmaWarning->State());
            d.btnOK->Click();
        },
        1));
    EXPECT_EQ(style->PrinterPage()->Header(), 90);
}

TEST_F(PageSetupMarginsTab, AMarginRaisedToTheBorderIsCheckedAgain)
{
    UsePrinters({PrinterWithBorder(50)});
    Run(
        [&](TdxfmPageSetupDialog& d) {
            // Left takes all the room, so Right may only be 0: inside the border.
            TypeMargin(d, d.seLeft, "165,9");
            TypeMargin(d, d.seRight, "0");
            ASSERT_TRUE(d.OutsidePrintableWarning());
            ASSERT_FALSE(d.InvalidMarginsWarning());
            d.btnFix->Click();
            EXPECT_DOUBLE_EQ(d.seRight->Value(), 5);
            EXPECT_TRUE(d.InvalidMarginsWarning()) << "Right now leaves too little room";
            EXPECT_EQ(d.WarningText(), "One or more margins has invalid values");
            EXPECT_TRUE(d.btnFix->Enabled());
        },
        1);
}

TEST_F(PageSetupMarginsTab, WithoutAPrinterEveryMarginIsPrintable)
{
    UsePrinters({});
    EXPECT_TRUE(Run(
        [&](TdxfmPageSetupDialog& d) {
            for (TdxPSSpinEdit* e : {d.seHeader, d.seFooter, d.seLeft, d.seRight})
                TypeMargin(d, e, "0");
            EXPECT_FALSE(d.OutsidePrintableWarning());
            EXPECT_FALSE(d.bmaWarning->State());
            d.btnOK->Click();
        },
        1));
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(style->PrinterPage()->Margins()->Left(), 0);
}

TEST_F(PageSetupMarginsTab, ADraggedHeaderPushesTopAndIsCheckedOnce)
{
    EXPECT_TRUE(Run(
        [&](TdxfmPageSetupDialog& d) {
            TdxPreview* p = d.prvMargins;
            ASSERT_TRUE(p->OptionsBehavior().Contains(pobAllowDragMargins));
            TdxPreviewMargin* top = p->Margins()->Top();
            const int below = top->ValueToPixel(top->Value()) + 12;
            DragMargin(d, pmHeader, below);
            const double header = d.seHeader->Value();
            EXPECT_GT(header, 12.7);
            EXPECT_DOUBLE_EQ(d.seTop->Value(), header) << "Top moves with the header";
            EXPECT_EQ(beeps, 0) << "checked once, with Top moved already";
            EXPECT_FALSE(d.InvalidMarginsWarning());
            EXPECT_TRUE(d.MarginsChanged());
            EXPECT_TRUE(d.btnRestoreOriginalMargins->Enabled());

            // A right margin dragged to the left edge of the page's content.
            TdxPreviewMargin* left = p->Margins()->Left();
            DragMargin(d, pmRight, left->ValueToPixel(left->Value()) + 40);
            EXPECT_GT(d.seRight->Value(), 12.7);
            d.btnOK->Click();
        },
        1));
    EXPECT_EQ(style->PrinterPage()->Header(), style->PrinterPage()->Margins()->Top());
    EXPECT_GT(style->PrinterPage()->Margins()->Right(), 12700);
}

TEST_F(PageSetupMarginsTab, LeavingTheTabWithInvalidMarginsIsRefused)
{
    answers = {mrCancel, mrNo, mrYes};
    EXPECT_TRUE(Run(
        [&](TdxfmPageSetupDialog& d) {
            TypeMargin(d, d.seTop, "150");
            // Typed, not yet left: the click on the tab counts it.
            TypeInto(d.seBottom, "100");
            ClickTab(d, d.tshPage);
            EXPECT_EQ(d.pgctrlMain->ActivePage(), d.tshMargins);
            ASSERT_EQ(asked.size(), 1u);
            EXPECT_EQ(asked[0].Text, "One or more margins are set to the invalid values.\r\nChoose the Fix button to "
                                     "correct this problem.\r\nChoose the Restore button to restore original values.");
            EXPECT_EQ(asked[0].ButtonCaptions.at(mbYes), "&Fix");
            EXPECT_EQ(asked[0].ButtonCaptions.at(mbNo), "Restore &Original");
            EXPECT_EQ(asked[0].ButtonCaptions.at(mbCancel), "Close");
            EXPECT_EQ(Screen().ActiveControl(), d.seTop) << "the first margin at fault";
            EXPECT_DOUBLE_EQ(d.seBottom->Value(), 100) << "Close keeps the values";

            // Restore Original: the style's values, and the tab stays.
            SimulateKey('P', {ssAlt});
            EXPECT_EQ(d.pgctrlMain->ActivePage(), d.tshMargins);
            EXPECT_DOUBLE_EQ(d.seTop->Value(), 12.7);
            EXPECT_DOUBLE_EQ(d.seBottom->Value(), 12.7);

            // Fix, then the tab can be left.
            TypeMargin(d, d.seTop, "150");
            TypeMargin(d, d.seBottom, "100");
            ClickTab(d, d.tshScaling);
            EXPECT_EQ(d.pgctrlMain->ActivePage(), d.tshMargins);
            EXPECT_DOUBLE_EQ(d.seTop->Value(), 129.4);
            ClickTab(d, d.tshScaling);
            EXPECT_EQ(d.pgctrlMain->ActivePage(), d.tshScaling);
            EXPECT_EQ(asked.size(), 3u);
            EXPECT_EQ(beeps, 5) << "two warnings and three questions";
            d.btnOK->Click();
        },
        1));
}

TEST_F(PageSetupMarginsTab, TheQuestionsOnOkAndTheirAnswers)
{
    UsePrinters({PrinterWithBorder(50)});
    struct Case {
        const char* Why;
        std::vector<TModalResult> Answers;
        const char* Top;
        const char* Header;
        int StoredHeader;
        int StoredTop;
        std::size_t Questions;
    };
    const Case cases[] = {
        // Outside the printable area only.
        {"Ignore keeps the header", {mrIgnore}, "12,7", "2", 2000, 12700, 1},
        {"Fix raises it", {mrYes}, "12,7", "2", 5000, 12700, 1},
        // Invalid as well: Fix of the first question skips the second.
        {"Fix of both", {mrYes}, "1", "2", 5000, 5000, 1},
        {"Ignore, then Close", {mrIgnore, mrCancel}, "1", "2", 2000, 2000, 2},
        {"Ignore, then Restore", {mrIgnore, mrNo}, "1", "2", 6350, 12700, 2},
    };
    for (const Case& c : cases) {
        style->RestoreDefaults();
        asked.clear();
        answers = c.Answers;
        EXPECT_TRUE(Run(
            [&](TdxfmPageSetupDialog& d) {
                TypeMargin(d, d.seHeader, c.Header);
                TypeMargin(d, d.seTop, c.Top);
                d.btnOK->Click();
            },
            1))
            << c.Why;
        ASSERT_EQ(asked.size(), c.Questions) << c.Why;
        EXPECT_EQ(asked[0].Text, "One or more margins are set outside the printable area of the page.\r\nChoose the "
                                 "Fix button to increase the appropriate margins.")
            << c.Why;
        EXPECT_EQ(asked[0].Buttons, (TMsgDlgButtons{mbYes, mbIgnore})) << c.Why;
        EXPECT_EQ(style->PrinterPage()->Header(), c.StoredHeader) << c.Why;
        EXPECT_EQ(style->PrinterPage()->Margins()->Top(), c.StoredTop) << c.Why;
    }
}

TEST_F(PageSetupMarginsTab, TheFixRestoreCloseBoxWidensItsButtons)
{
    messages.~TMessageDlgHookScope();
    new (&messages) TMessageDlgHookScope(nullptr);
    std::vector<TRect> buttons;
    int width = 0;
    TModalFormHookScope hook([&](TForm& Form) {
        for (const char* name : {"Yes", "No", "Cancel"})
            buttons.push_back(dynamic_cast<TControl*>(Form.FindComponent(name))->BoundsRect());
        width = Form.ClientWidth();
        EXPECT_EQ(FindControlByCaption(&Form, "Restore Original"), Form.FindComponent("No"));
        Form.SetModalResult(mrNo);
    });
    EXPECT_EQ(MessageFixRestoreClose("Text"), mrNo);
    ASSERT_EQ(buttons.size(), 3u);
    for (const TRect& b : buttons)
        EXPECT_EQ(b.Width(), 112);
    EXPECT_LT(buttons[0].Right, buttons[1].Left);
    EXPECT_LT(buttons[1].Right, buttons[2].Left);
    EXPECT_LE(buttons[2].Right, width);
}

} // namespace
} // namespace qel::test
