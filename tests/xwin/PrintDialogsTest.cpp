// The colour palette, the fill-effects dialog and Define Print Styles on a
// real X server, used with the mouse as a person uses them.
#include "XTestSupport.h"

#include "platform/controls/Application.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Grids.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Bitmap.h"
#include "preview/ColorPalette.h"
#include "preview/DefinePrintStyles.h"
#include "preview/FEFDialog.h"
#include "printing/Background.h"
#include "printing/PrintStyles.h"

#include <gtest/gtest.h>

namespace qel::test {

namespace {

// Two clicks at one place, quickly enough to be a double click.
void DoubleClickAt(const TControl* Control, int X, int Y)
{
    const TPoint p = OnScreen(Control, X, Y);
    XInput().Click(p.X, p.Y);
    XInput().Click(p.X, p.Y);
    Settle();
}

} // namespace

TEST(PrintDialogs, APaletteColourClickedWithTheMouseFillsTheBackground)
{
    TdxBackground background;
    bool active = false;
    TModalFormHookScope hook([&](TForm& F) {
        auto& palette = dynamic_cast<TdxfmColorPalette&>(F);
        active = WaitUntilActive(palette);
        // The focus events of the activation first: one handled after the
        // click could close the palette before the click is read.
        Settle();
        ClickAt(palette.ColorButtons(26), 9, 9);   // "Blue"
    });
    EXPECT_TRUE(dxShowColorPalette(&background, {200, 150}));
    EXPECT_TRUE(active);
    EXPECT_EQ(background.Mode(), bmBrush);
    EXPECT_EQ(background.Brush()->Color(), TColor(0xFF0400));

    // A click into another window of the program takes the focus: the palette
    // closes without a choice.
    TForm other(nullptr);
    other.SetCaption("Other");
    other.SetBounds(500, 400, 240, 160);
    other.Show();
    ASSERT_TRUE(WaitUntilActive(other));
    bool cancelled = false;
    TModalFormHookScope elsewhere([&](TForm& F) {
        auto& palette = dynamic_cast<TdxfmColorPalette&>(F);
        active = WaitUntilActive(palette);
        ClickAt(&other, 100, 80);
        cancelled = palette.Result() == TdxfmColorPalette::prCancelled;
    });
    EXPECT_FALSE(dxShowColorPalette(&background, {200, 150}));
    EXPECT_TRUE(active);
    EXPECT_TRUE(cancelled) << "losing the focus ended it, not the end of the script";
    EXPECT_EQ(background.Brush()->Color(), TColor(0xFF0400));
}

TEST(PrintDialogs, FillEffectsTabsAndADoubleClickedPatternWorkWithTheMouse)
{
    TdxBackground background;
    bool active = false;
    bool patternPage = false;
    TModalFormHookScope hook([&](TForm& F) {
        auto& d = dynamic_cast<TdxFEFDialog&>(F);
        active = WaitUntilActive(d);
        EXPECT_EQ(XTitleOf(d), "Fill Effects");
        const TRect tab = d.PageControl->TabRect(1);
        ClickAt(d.PageControl, (tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2);
        patternPage = d.PageControl->ActivePage() == d.tshPattern;
        const TRect cell = d.dgPattern->CellRect(3, 4);   // "Dark vertical"
        DoubleClickAt(d.dgPattern, cell.Left + 10, cell.Top + 10);
        EXPECT_EQ(d.ModalResult(), mrOk) << "a double click on the chosen pattern is OK";
    });
    EXPECT_TRUE(dxFEFDialogExecute(&background));
    EXPECT_TRUE(active);
    EXPECT_TRUE(patternPage) << "the tab clicked";
    EXPECT_EQ(background.Mode(), bmBrushBitmap);
    EXPECT_EQ(background.Picture()->Pixel(0, 0), clBlack);
    EXPECT_EQ(background.Picture()->Pixel(2, 0), clWhite);
}

TEST(PrintDialogs, DefinePrintStylesEditsADoubleClickedStyleAndClosesForPrint)
{
    TComponent owner(nullptr);
    auto* manager = new TdxPrintStyleManager(&owner);
    for (const char* caption : {"Standard", "Landscape"})
        manager->AddStyle()->SetStyleCaption(caption);
    const TdxPrintStyleDialogRunners previous = dxPrintStyleDialogRunners();
    std::string edited;
    dxPrintStyleDialogRunners().PageSetup = [&](TBasedxPrintStyle& Style, TComponent*, int, bool*, bool* Print) {
        edited = Style.StyleCaption();
        if (Print)
            *Print = true;
        return true;
    };
    bool active = false;
    TModalFormHookScope hook([&](TForm& F) {
        auto& d = dynamic_cast<TdxfmDefinePrintStyles&>(F);
        active = WaitUntilActive(d);
        const TRect item = d.lbxPrintStyles->ItemRect(1);
        DoubleClickAt(d.lbxPrintStyles, item.Left + 50, item.Top + 10);
    });
    TdxDefinePrintStylesDlgData data;
    data.StyleManager = manager;
    dxDefinePrintStylesDlg(data);
    dxPrintStyleDialogRunners() = previous;
    EXPECT_TRUE(active);
    EXPECT_EQ(edited, "Landscape");
    EXPECT_TRUE(data.PrintBtnClicked);
    EXPECT_EQ(manager->CurrentStyle(), manager->Styles(1)) << "the selected style became current";
}

} // namespace qel::test
