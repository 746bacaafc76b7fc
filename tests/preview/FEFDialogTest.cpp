// The fill-effects dialog scripted as a user works it: what it opens on,
// choosing by mouse, keys and double click, Apply then Close, the Picture
// page with and without a picture, the user's texture row, the settings it
// keeps, and a background freed while the dialog is open.
#include "preview/FEFDialog.h"

#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Grids.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Bitmap.h"
#include "platform/storage/Registry.h"
#include "printing/Background.h"
#include "printing/PSEngine.h"
#include "printing/PrintControls.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace qel {
namespace {

// Navy on yellow, a pixel of each in turn: the "50%" pattern as a user sees it.
std::unique_ptr<TBitmap> HalfTone(TColor Fore, TColor Back)
{
    auto bmp = std::make_unique<TBitmap>(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            bmp->SetPixel(x, y, (x + y) % 2 ? Fore : Back);
    return bmp;
}

struct FillEffects : ::testing::Test {
    std::unique_ptr<TdxBackground> background = std::make_unique<TdxBackground>();
    test::TempDir dir;
    // The open-picture dialog answers with this file (none: cancelled) and
    // notes the folder it was started in.
    std::string openFile;
    std::string openedIn = "never opened";
    TCommonDialogHookScope files{[this](TCommonDialog& C) {
        auto& open = dynamic_cast<TOpenDialog&>(C);
        openedIn = open.InitialDir();
        open.SetFileName(openFile);
        return !openFile.empty();
    }};

    // A picture of one colour saved in the test's folder; answers its path.
    std::string SavePicture(const char* Name, int Width, int Height, TColor Color)
    {
        TBitmap picture(Width, Height);
        picture.Canvas()->Brush()->SetColor(Color);
        picture.Canvas()->FillRect(Rect(0, 0, Width, Height));
        picture.SaveToFile(dir.File(Name));
        return dir.File(Name);
    }

    bool Run(const std::function<void(TdxFEFDialog&)>& Script)
    {
        TModalFormHookScope hook([&](TForm& F) { Script(dynamic_cast<TdxFEFDialog&>(F)); });
        return dxFEFDialogExecute(background.get());
    }
    static void ClickCell(TDrawGrid* Grid, int Col, int Row)
    {
        const TRect r = Grid->CellRect(Col, Row);
        ASSERT_FALSE(r.IsEmpty()) << "cell " << Col << "," << Row << " is not in view";
        SimulateClick(Grid, r.Left + 5, r.Top + 5);
    }
    static void ClickTab(TPageControl* Pages, int Index)
    {
        const TRect r = Pages->TabRect(Index);
        SimulateClick(Pages, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
};

TEST_F(FillEffects, AWhiteOnWhiteBackgroundOpensWithABlackForegroundAndOkWithoutAChoiceChangesNothing)
{
    background->SetMode(bmBrush);
    background->Brush()->SetColor(clWhite);
    const std::unique_ptr<TdxBaseObject> before = background->Clone();
    TColor fore = clNone, back = clNone;
    bool invertEnabled = false, applyShown = true;
    const bool changed = Run([&](TdxFEFDialog& D) {
        fore = D.ccbxForeground->ColorValue();
        back = D.ccbxBackground->ColorValue();
        invertEnabled = D.btnInvertColors->Enabled();
        applyShown = D.btnApply->Visible();
        EXPECT_EQ(D.Kind(), TdxFEFDialog::fkTexture) << "the first page, nothing chosen on it";
        EXPECT_EQ(D.CurrentPicture(), nullptr);
        EXPECT_FALSE(D.btnHelp->Visible()) << "no help context";
        D.btnOK->Click();
    });
    EXPECT_EQ(fore, clBlack);
    EXPECT_EQ(back, clWhite);
    EXPECT_TRUE(invertEnabled);
    EXPECT_FALSE(applyShown) << "the background has no OnApply";
    EXPECT_FALSE(changed);
    EXPECT_TRUE(background->IsCompatibleWith(before.get()));

    // A texture chosen, then Cancel: the background stays as it was.
    EXPECT_FALSE(Run([&](TdxFEFDialog& D) {
        ClickCell(D.dgTexture, 1, 2);
        EXPECT_EQ(D.TextureIndex(), 8);
        EXPECT_EQ(D.pnlTextureName->Caption(), "Pink marble");
        D.btnCancel->Click();
    }));
    EXPECT_TRUE(background->IsCompatibleWith(before.get()));
}

TEST_F(FillEffects, TheHalfTonePatternOpensSelectedAndAnotherPatternIsTakenInTheNewColours)
{
    background->SetBkColor(clYellow);
    background->Brush()->SetColor(clNavy);
    const std::unique_ptr<TBitmap> halfTone = HalfTone(clNavy, clYellow);
    background->SetPicture(halfTone.get());
    background->SetMode(bmBrushBitmap);
    std::string shownName;
    const bool changed = Run([&](TdxFEFDialog& D) {
        EXPECT_EQ(D.PageControl->ActivePage(), D.tshPattern);
        EXPECT_EQ(D.PatternIndex(), 6);
        shownName = D.pnlPatternName->Caption();
        ASSERT_NE(D.CurrentPicture(), nullptr);
        EXPECT_TRUE(D.CurrentPicture()->Equals(halfTone.get()));
        // "Dark vertical" by the keys from there, then the colours swapped.
        SimulateKey(D.dgPattern, VK_RIGHT);
        SimulateKey(D.dgPattern, VK_RIGHT);
        SimulateKey(D.dgPattern, VK_DOWN);
        for (int i = 0; i < 4; ++i)
            SimulateKey(D.dgPattern, VK_DOWN);
        SimulateKey(D.dgPattern, VK_UP);
        EXPECT_EQ(D.pnlPatternName->Caption(), "Dark vertical");
        D.btnInvertColors->Click();
        EXPECT_EQ(D.ccbxForeground->ColorValue(), clYellow);
        D.btnOK->Click();
    });
    EXPECT_EQ(shownName, "50%");
    ASSERT_TRUE(changed);
    EXPECT_EQ(background->Mode(), bmBrushBitmap);
    EXPECT_EQ(background->Brush()->Color(), clYellow);
    EXPECT_EQ(background->BkColor(), clNavy);
    // Dark vertical: two columns of the foreground, two of the background.
    const TBitmap* picture = background->Picture();
    ASSERT_EQ(picture->Width(), 8);
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(picture->Pixel(x, 5), x % 4 < 2 ? clYellow : clNavy) << x;
}

TEST_F(FillEffects, ApplyThenCloseKeepsWhatWasAppliedAndStillReportsAChange)
{
    int applied = 0;
    TObject* appliedWith = nullptr;
    background->OnApply = [&](TObject* Sender) {
        ++applied;
        appliedWith = Sender;
    };
    std::unique_ptr<TGraphic> appliedPicture;
    std::string closeCaption;
    bool applyEnabledAfterApply = true, applyEnabledAfterChange = false;
    const bool changed = Run([&](TdxFEFDialog& D) {
        EXPECT_TRUE(D.btnApply->Visible());
        EXPECT_FALSE(D.btnApply->Enabled()) << "nothing chosen yet";
        ClickCell(D.dgTexture, 0, 0);
        appliedPicture.reset(D.CurrentPicture()->NewOfSameClass());
        appliedPicture->Assign(const_cast<TGraphic*>(D.CurrentPicture()));
        D.btnApply->Click();
        closeCaption = D.btnCancel->Caption();
        applyEnabledAfterApply = D.btnApply->Enabled();
        ClickCell(D.dgTexture, 2, 1);   // not applied: Close drops it
        applyEnabledAfterChange = D.btnApply->Enabled();
        D.btnCancel->Click();
    });
    EXPECT_EQ(closeCaption, "Close");
    EXPECT_FALSE(applyEnabledAfterApply);
    EXPECT_TRUE(applyEnabledAfterChange);
    EXPECT_TRUE(changed);
    EXPECT_EQ(background->Mode(), bmBrushBitmap);
    EXPECT_TRUE(background->Picture()->Equals(appliedPicture.get())) << "the last applied texture, Newsprint";
    EXPECT_EQ(applied, 1);
    EXPECT_NE(appliedWith, background.get()) << "Apply hands the handler the working copy";
}

TEST_F(FillEffects, ThePicturePageWithoutAPictureChangesNothingAndWithOneTakesItsPaintMode)
{
    background->SetMode(bmBrush);
    background->Brush()->SetColor(clRed);
    const std::unique_ptr<TdxBaseObject> before = background->Clone();
    EXPECT_FALSE(Run([&](TdxFEFDialog& D) {
        ClickTab(D.PageControl, 2);
        EXPECT_EQ(D.Kind(), TdxFEFDialog::fkPicture);
        EXPECT_FALSE(D.btnPreview->Enabled());
        D.btnOK->Click();
    }));
    EXPECT_TRUE(background->IsCompatibleWith(before.get()));

    openFile = SavePicture("meadow.png", 40, 30, clLime);
    std::string name;
    EXPECT_TRUE(Run([&](TdxFEFDialog& D) {
        ClickTab(D.PageControl, 2);
        D.btnSelectPicture->Click();
        name = D.pnlPictureName->Caption();
        EXPECT_TRUE(D.btnPreview->Enabled());
        SimulateKey(D.cbxPaintMode, VK_DOWN);   // Stretch
        D.btnOK->Click();
    }));
    EXPECT_EQ(name, "meadow.png");
    EXPECT_EQ(background->Mode(), bmPicture);
    EXPECT_EQ(background->PictureMode(), ppmStretch);
    EXPECT_EQ(background->Picture()->Width(), 40);
    EXPECT_EQ(background->Picture()->Pixel(5, 5), clLime);

    // Reopened on it: the picture page, the picture and its mode.
    EXPECT_FALSE(Run([&](TdxFEFDialog& D) {
        EXPECT_EQ(D.PageControl->ActivePage(), D.tshPicture);
        EXPECT_EQ(D.cbxPaintMode->ItemIndex(), ppmStretch);
        ASSERT_NE(D.CurrentPicture(), nullptr);
        EXPECT_EQ(D.CurrentPicture()->Height(), 30);
        D.btnCancel->Click();
    }));
}

TEST_F(FillEffects, TheUsersTextureRowShowsItsFileNameInEveryCell)
{
    openFile = SavePicture("felt.bmp", 20, 20, clTeal);
    std::vector<std::string> names;
    EXPECT_TRUE(Run([&](TdxFEFDialog& D) {
        D.btnOtherTexture->Click();
        EXPECT_EQ(D.dgTexture->RowCount(), 7);
        EXPECT_TRUE(D.UserTextureChosen());
        names.push_back(D.pnlTextureName->Caption());
        for (int col = 0; col < 4; ++col) {
            const TRect r = D.dgTexture->CellRect(col, 6);
            SimulateMouseMove(D.dgTexture, r.Left + 10, r.Top + 10);
            names.push_back(D.pnlTextureName->Caption());
        }
        D.btnOK->Click();
    }));
    EXPECT_EQ(names, std::vector<std::string>(5, "felt.bmp"));
    EXPECT_EQ(background->Mode(), bmBrushBitmap);
    EXPECT_EQ(background->Picture()->Width(), 20);
    EXPECT_EQ(background->Picture()->Pixel(3, 3), clTeal);
}

TEST_F(FillEffects, PageAndFolderAreKeptAndTheDialogReopensWithThem)
{
    const std::string previousStore = SettingsStoreFile();
    SetSettingsStoreFile(dir.File("settings.ini"));
    dxPSEngine()->SetRegistryPath("Software\\Tessaro\\Test");
    struct Restore {
        std::string store;
        ~Restore()
        {
            dxPSEngine()->SetRegistryPath("");
            SetSettingsStoreFile(store);
        }
    } restore{previousStore};

    openFile = SavePicture("dots.bmp", 10, 10, clWhite);
    Run([&](TdxFEFDialog& D) {
        ClickTab(D.PageControl, 2);
        D.btnSelectPicture->Click();
        D.btnCancel->Click();
    });
    EXPECT_EQ(openedIn, "");
    Run([&](TdxFEFDialog& D) {
        EXPECT_EQ(D.PageControl->ActivePage(), D.tshPicture);
        EXPECT_EQ(D.InitialDir(), dir.Path().string());
        D.btnSelectPicture->Click();
        D.btnCancel->Click();
    });
    EXPECT_EQ(openedIn, dir.Path().string());
}

TEST_F(FillEffects, ADoubleClickOnTheChoiceIsOkAndAcceleratorsReachPagesAndButtons)
{
    EXPECT_TRUE(Run([&](TdxFEFDialog& D) {
        SimulateKey('P', {ssAlt});
        EXPECT_EQ(D.PageControl->ActivePage(), D.tshPattern);
        const TRect r = D.dgPattern->CellRect(7, 5);
        SimulateClick(D.dgPattern, r.Left + 4, r.Top + 4);
        SimulateDblClick(D.dgPattern, r.Left + 4, r.Top + 4);
        EXPECT_EQ(D.ModalResult(), mrOk);
    }));
    EXPECT_EQ(background->Mode(), bmBrushBitmap);
    // Solid diamond: its centre in the foreground, its corner in the background.
    EXPECT_EQ(background->Picture()->Pixel(3, 3), clBlack);
    EXPECT_EQ(background->Picture()->Pixel(0, 0), clWhite);
}

TEST_F(FillEffects, ABackgroundFreedWhileTheDialogIsOpenIsLeftAlone)
{
    int applied = 0;
    background->OnApply = [&](TObject*) { ++applied; };
    bool applyShown = false;
    const bool changed = Run([&](TdxFEFDialog& D) {
        ClickCell(D.dgTexture, 0, 1);
        applyShown = D.btnApply->Visible();
        background.reset();
        EXPECT_FALSE(D.btnApply->Visible());
        D.btnOK->Click();
    });
    EXPECT_TRUE(applyShown);
    EXPECT_FALSE(changed);
    EXPECT_EQ(applied, 0);

    // Through Setup, as the palette calls it: applied, then freed by its
    // owner, the background hears nothing more and Setup answers false.
    auto* owned = new TdxBackground;
    int appliedOwned = 0;
    owned->OnApply = [&](TObject*) { ++appliedOwned; };
    const TdxBackgroundSetupProc previous =
        TdxBackground::SetSetupProc([](TdxBackground& B) { return dxFEFDialogExecute(&B); });
    bool setupAnswer = true;
    {
        TModalFormHookScope hook([&](TForm& F) {
            auto& D = dynamic_cast<TdxFEFDialog&>(F);
            ClickCell(D.dgTexture, 0, 1);
            D.btnApply->Click();
            delete owned;
            D.btnOK->Click();
        });
        setupAnswer = owned->Setup();
    }
    TdxBackground::SetSetupProc(previous);
    EXPECT_FALSE(setupAnswer);
    EXPECT_EQ(appliedOwned, 1) << "the Apply only";
}

} // namespace
} // namespace qel
