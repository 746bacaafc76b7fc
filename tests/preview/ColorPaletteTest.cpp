// The colour palette scripted through the modal-form hook: the button it
// opens with, each way of choosing and of closing without a choice, its
// place at the screen's edges, its options, and what is freed under it.
#include "preview/ColorPalette.h"

#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Grids.h"
#include "platform/controls/StdCtrls.h"
#include "preview/FEFDialog.h"
#include "printing/Background.h"

#include "ScreenTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace qel {
namespace {

constexpr int kRed = 2, kBlue = 26;

struct ColorPalette : ::testing::Test {
    std::unique_ptr<TdxBackground> background = std::make_unique<TdxBackground>();

    // Runs the palette with Script driving it (and any dialog it opens).
    bool Run(const std::function<void(TForm&)>& Script, TPoint Position = {100, 100},
             const TdxColorPaletteOptions* Options = nullptr)
    {
        TModalFormHookScope hook(Script);
        return dxShowColorPalette(background.get(), Position, Options);
    }
    static TdxfmColorPalette& Palette(TForm& F) { return dynamic_cast<TdxfmColorPalette&>(F); }
    static void Press(TControl* Button) { SimulateClick(Button, 5, 5); }
    // The entries whose buttons are down.
    static std::vector<int> Down(TdxfmColorPalette& P)
    {
        std::vector<int> down;
        for (int i = 0; i < 40; ++i)
            if (P.ColorButtons(i)->Down())
                down.push_back(i);
        return down;
    }
};

TEST_F(ColorPalette, OpensWithTheButtonOfTheFillPressed)
{
    background->SetMode(bmBrush);
    background->Brush()->SetColor(0x0004FF);
    std::vector<int> down;
    bool noFill = true;
    EXPECT_FALSE(Run([&](TForm& F) {
        down = Down(Palette(F));
        noFill = Palette(F).btnNoFill->Down();
        EXPECT_EQ(Palette(F).ColorButtons(kRed)->Hint(), "Red");
        SimulateKey(VK_ESCAPE);
    }));
    EXPECT_EQ(down, std::vector<int>{kRed});
    EXPECT_FALSE(noFill);

    background->Brush()->SetColor(0x123456);
    EXPECT_FALSE(Run([&](TForm& F) {
        down = Down(Palette(F));
        SimulateKey(VK_ESCAPE);
    }));
    EXPECT_TRUE(down.empty()) << "a colour that is not in the table";

    background->SetMode(bmNone);
    EXPECT_FALSE(Run([&](TForm& F) {
        noFill = Palette(F).btnNoFill->Down();
        down = Down(Palette(F));
        SimulateKey(VK_ESCAPE);
    }));
    EXPECT_TRUE(noFill);
    EXPECT_TRUE(down.empty());
}

TEST_F(ColorPalette, AColourButtonFillsWithASolidBrushAndNoFillEmpties)
{
    background->SetMode(bmBrush);
    background->Brush()->SetStyle(bsDiagCross);
    ASSERT_TRUE(Run([&](TForm& F) { Press(Palette(F).ColorButtons(kBlue)); }));
    EXPECT_EQ(background->Mode(), bmBrush);
    EXPECT_EQ(background->Brush()->Style(), bsSolid);
    EXPECT_EQ(background->Brush()->Color(), TColor(0xFF0400));

    ASSERT_TRUE(Run([&](TForm& F) { Press(Palette(F).btnNoFill); }));
    EXPECT_EQ(background->Mode(), bmNone);
}

TEST_F(ColorPalette, EscAltKeysAClickElsewhereOrLosingActivationCloseWithoutAChoice)
{
    background->SetMode(bmBrush);
    background->Brush()->SetColor(clWhite);
    const std::unique_ptr<TdxBaseObject> before = background->Clone();
    TForm other(nullptr);
    auto* edit = new TEdit(&other);
    edit->SetParent(&other);
    other.SetBounds(400, 400, 200, 100);
    other.Show();
    const std::vector<std::function<void(TForm&)>> closers{
        [](TForm&) { SimulateKey(VK_ESCAPE); },
        [](TForm&) { SimulateKey('N', {ssAlt}); },   // even No Fill's own accelerator
        [&](TForm&) { SimulateClick(edit, 5, 5); },
        [](TForm&) {
            Application().SetActive(false);
            Application().SetActive(true);
        },
        [](TForm&) {},   // a script that leaves it open
    };
    for (std::size_t i = 0; i < closers.size(); ++i) {
        EXPECT_FALSE(Run(closers[i])) << i;
        EXPECT_TRUE(background->IsCompatibleWith(before.get())) << i;
    }
    other.Hide();
}

TEST_F(ColorPalette, AtTheScreensEdgeItMovesIntoTheWorkArea)
{
    // A task bar above and below (the desktop keeps a frame's width at the origin).
    const TRect work{0, 20, 1280, 990};
    test::VirtualScreenScope screen(1280, 1024, &work);
    TRect bounds;
    const auto grab = [&](TForm& F) {
        bounds = F.BoundsRect();
        SimulateKey(VK_ESCAPE);
    };
    Run(grab, {1270, 980});
    EXPECT_EQ(bounds.Right, 1280);
    EXPECT_EQ(bounds.Bottom, 990);
    EXPECT_GT(bounds.Width(), 100);
    Run(grab, {-30, 5});
    EXPECT_EQ(bounds.TopLeft(), Point(0, 20));
    Run(grab, {300, 200});
    EXPECT_EQ(bounds.TopLeft(), Point(300, 200)) << "inside, it stays where asked";
}

TEST_F(ColorPalette, OptionsNameTheButtonsAndHidingBothHidesTheSeparator)
{
    int fullHeight = 0, bareHeight = 0;
    Run([&](TForm& F) {
        fullHeight = F.ClientHeight();
        EXPECT_EQ(F.Caption(), " Page Background");
        EXPECT_EQ(Palette(F).btnNoFill->Caption(), "&No Fill");
        EXPECT_TRUE(Palette(F).bvlSeparator->Visible());
        SimulateKey(VK_ESCAPE);
    });
    TdxColorPaletteOptions options;
    options.BorderStyle = bsNone;
    options.NoFillCaption = "&Automatic";
    options.ShowMoreColors = false;
    options.ShowFillEffects = false;
    Run(
        [&](TForm& F) {
            TdxfmColorPalette& p = Palette(F);
            bareHeight = F.ClientHeight();
            EXPECT_FALSE(p.bvlSeparator->Visible());
            EXPECT_FALSE(p.pnlButtons->Visible());
            EXPECT_EQ(p.pnlFrame->BevelOuter(), bvRaised) << "its own raised frame without a caption bar";
            EXPECT_EQ(p.btnNoFill->Caption(), "&Automatic");
            SimulateKey(VK_ESCAPE);
        },
        {100, 100}, &options);
    EXPECT_LT(bareHeight, fullHeight - 40);
}

TEST_F(ColorPalette, MoreColorsStartsFromTheCurrentColourAndItsKeyPressesIt)
{
    background->SetMode(bmBrush);
    background->Brush()->SetColor(0x00CBFF);
    TColor started = clNone;
    bool answer = true;
    TCommonDialogHookScope colors([&](TCommonDialog& C) {
        auto& dialog = dynamic_cast<TColorDialog&>(C);
        started = dialog.Color();
        dialog.SetColor(0x123456);
        return answer;
    });
    EXPECT_TRUE(Run([&](TForm& F) { Press(Palette(F).btnMoreColors); }));
    EXPECT_EQ(started, TColor(0x00CBFF));
    EXPECT_EQ(background->Brush()->Color(), TColor(0x123456));

    answer = false;
    EXPECT_FALSE(Run([&](TForm&) { SimulateKey(0x62); })) << "the colour dialog cancelled";
    EXPECT_EQ(started, TColor(0x123456));
    EXPECT_EQ(background->Brush()->Color(), TColor(0x123456));

    TdxColorPaletteOptions options;
    options.ShowMoreColors = false;
    started = clNone;
    EXPECT_FALSE(Run([&](TForm&) { SimulateKey(0x62); }, {100, 100}, &options));
    EXPECT_EQ(started, clNone) << "a hidden button is not pressed by its key";
}

TEST_F(ColorPalette, FillEffectsRunsTheDialogOnTheBackground)
{
    const TdxBackgroundSetupProc previous =
        TdxBackground::SetSetupProc([](TdxBackground& B) { return dxFEFDialogExecute(&B); });
    int effects = 0;
    const auto script = [&](TForm& F) {
        if (auto* fe = dynamic_cast<TdxFEFDialog*>(&F)) {
            ++effects;
            EXPECT_FALSE(Application().Terminated());
            const TRect r = fe->dgTexture->CellRect(0, 0);
            SimulateClick(fe->dgTexture, r.Left + 5, r.Top + 5);
            fe->btnOK->Click();
        } else {
            SimulateKey(0x66);
        }
    };
    EXPECT_TRUE(Run(script));
    EXPECT_EQ(effects, 1);
    EXPECT_EQ(background->Mode(), bmBrushBitmap);

    background->SetMode(bmNone);
    EXPECT_FALSE(Run([&](TForm& F) {
        if (auto* fe = dynamic_cast<TdxFEFDialog*>(&F))
            fe->btnCancel->Click();
        else
            Press(Palette(F).btnFillEffects);
    })) << "no change in the dialog";
    EXPECT_EQ(background->Mode(), bmNone);
    TdxBackground::SetSetupProc(previous);
}

TEST_F(ColorPalette, ABackgroundOrPaletteFreedWhileItRunsIsLeftAlone)
{
    EXPECT_FALSE(Run([&](TForm& F) {
        background.reset();
        Press(Palette(F).ColorButtons(kRed));
    }));
    background = std::make_unique<TdxBackground>();
    EXPECT_FALSE(Run([](TForm& F) { delete &F; }));
}

} // namespace
} // namespace qel
