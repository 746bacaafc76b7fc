// The tree-list report designer worked as a user works it, opened by the
// component printer's DesignReport: what it shows of the link, what comes
// back on OK and Cancel, the enabled states, the fonts list, the sample
// following every option, and the link or its control going away while the
// window is open.
#include "preview/TreeListReportDesignWindow.h"

#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/FreeWatch.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Metafile.h"
#include "preview/PopupMenuManager.h"
#include "preview/PreviewDialogs.h"
#include "printing/DBGridReportLink.h"
#include "printing/PrintControls.h"
#include "printing/PrintGraphicUtils.h"
#include "printing/ReportLinkRegistry.h"
#include "treelist/TreeListControl.h"

#include "printing/ComponentPrinterTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel::test {
namespace {

using TWindow = TdxTLReportLinkDesignWindow;

struct TLDesignWindow : ::testing::Test {
    PrintDeviceScope<TScriptedPrinterBackend> printers{LaserPrinter};
    TComponent owner{nullptr};
    TdxTreeList* tree = new TdxTreeList(&owner);
    TdxComponentPrinter* printer = new TdxComponentPrinter(&owner);
    TdxTreeListReportLink* link = nullptr;

    void SetUp() override
    {
        dxRegisterTreeListReportLink();
        dxInstallPreviewDialogs();
        tree->SetName("Shapes");
        tree->CreateColumn()->SetCaption("Name");
        tree->Add()->SetString(0, "Cone");
        link = dynamic_cast<TdxTreeListReportLink*>(printer->AddLink(tree));
        ASSERT_NE(link, nullptr);
    }
    void TearDown() override { dxUnregisterTreeListReportLink(); }

    // DesignReport as the printer runs it, with the window driven by Script.
    bool Design(const std::function<void(TWindow&)>& Script)
    {
        TModalFormHookScope hook([&](TForm& F) { Script(dynamic_cast<TWindow&>(F)); });
        return printer->DesignReport(link);
    }
    static TCheckBox* Box(TWindow& W, const std::string& Caption)
    {
        auto* box = dynamic_cast<TCheckBox*>(FindControlByCaption(&W, Caption));
        EXPECT_NE(box, nullptr) << Caption;
        return box;
    }
    // As a user: on the box's page, with the space bar.
    static void Toggle(TWindow& W, TCheckBox* Box)
    {
        TWinControl* page = Box->Parent();
        while (page && !dynamic_cast<TTabSheet*>(page))
            page = page->Parent();
        W.PageControl->SetActivePage(static_cast<TTabSheet*>(page));
        SimulateKey(Box, VK_SPACE);
    }
    static void PickDrawMode(TWindow& W, TdxTreeListDrawMode Mode)
    {
        W.PageControl->SetActivePage(W.tshOptions);
        SimulateKey(W.cbxDrawMode, VK_HOME);
        for (int i = 0; i < Mode; ++i)
            SimulateKey(W.cbxDrawMode, VK_DOWN);
    }
    static void SelectFonts(TWindow& W, std::initializer_list<int> Items)
    {
        W.PageControl->SetActivePage(W.tshFonts);
        bool first = true;
        for (int i : Items) {
            const TRect r = W.lbxFonts->ItemRect(i);
            SimulateClick(W.lbxFonts, r.Left + 4, r.Top + 2, mbLeft, first ? TShiftState{} : TShiftState{ssCtrl});
            first = false;
        }
    }
};

// The sample as it paints, pixel by pixel.
std::vector<TColor> Picture(TdxTreeList& Sample)
{
    TBitmap bitmap(Sample.Width(), Sample.Height());
    Sample.PaintTo(*bitmap.Canvas(), Rect(0, 0, Sample.Width(), Sample.Height()));
    std::vector<TColor> pixels;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            pixels.push_back(bitmap.Pixel(x, y));
    return pixels;
}

// The texts the sample draws.
std::vector<std::string> Texts(TdxTreeList& Sample)
{
    TMetafile mf;
    mf.SetWidth(Sample.Width());
    mf.SetHeight(Sample.Height());
    {
        TMetafileCanvas canvas(&mf);
        Sample.PaintTo(canvas, Rect(0, 0, Sample.Width(), Sample.Height()));
    }
    std::vector<std::string> texts;
    for (const TCanvasRecord& r : mf.Records())
        if (!r.Text.empty())
            texts.push_back(r.Text);
    return texts;
}

bool Contains(const std::vector<std::string>& Texts, const std::string& Text)
{
    return std::find(Texts.begin(), Texts.end(), Text) != Texts.end();
}

TdxTreeListNode* SampleNode(TdxTreeList& Sample, const std::string& Name)
{
    for (int i = 0; i < Sample.GetAbsoluteCount(); ++i)
        if (Sample.GetAbsoluteNode(i)->GetString(0) == Name)
            return Sample.GetAbsoluteNode(i);
    return nullptr;
}

// The colour in the right half of a cell, clear of its text.
TColor CellColor(TdxTreeList& Sample, const std::string& Name, int Column)
{
    TBitmap bitmap(Sample.Width(), Sample.Height());
    Sample.PaintTo(*bitmap.Canvas(), Rect(0, 0, Sample.Width(), Sample.Height()));
    const TRect r = Sample.GetCellRect(SampleNode(Sample, Name), Column);
    return bitmap.Pixel(r.Right - 4, r.Top + 3);
}

TEST_F(TLDesignWindow, TheComponentPrinterOpensItForBothLinksAndKeepsChangesOnlyOnOK)
{
    EXPECT_EQ(dxPSDesignWindowClassByLinkClass("TdxTreeListReportLink"), "TdxTLReportLinkDesignWindow");
    dxRegisterDBGridReportLink();
    EXPECT_EQ(dxPSDesignWindowClassByLinkClass("TdxDBGridReportLink"), "TdxTLReportLinkDesignWindow");
    dxUnregisterDBGridReportLink();
    EXPECT_TRUE(link->HasDesignWindow());

    // What it shows, and OK without a change: nothing to keep.
    bool designed = true;
    printer->OnDesignReport = [&](TObject*, TBasedxReportLink*, bool& Done) { designed = Done; };
    EXPECT_FALSE(Design([](TWindow& W) {
        EXPECT_EQ(W.Caption(), "Report Designer : Shapes");
        EXPECT_EQ(W.PageControl->ActivePage(), W.tshOptions);
        EXPECT_EQ(W.tshBehaviors->Caption(), "Behaviors");
        EXPECT_TRUE(Box(W, "Headers")->Checked());
        EXPECT_FALSE(Box(W, "Display CheckMarks as Text")->Checked());
        EXPECT_TRUE(Box(W, "Auto Calculate Preview Lines")->Checked());
        EXPECT_EQ(W.cbxDrawMode->Text(), "Strict");
        EXPECT_EQ(W.ColorCombo(TWindow::ciHeaderColor)->ColorValue(), TdxTreeListReportLink::DefaultFixedColor);
        EXPECT_FALSE(W.Modified());
        W.OKButton()->Click();
    }));
    EXPECT_FALSE(designed);

    // Changed, then cancelled: the link is given back as it was.
    EXPECT_FALSE(Design([](TWindow& W) {
        Toggle(W, Box(W, "Headers"));
        PickDrawMode(W, tldmOddEven);
        EXPECT_TRUE(W.Modified());
        EXPECT_FALSE(W.TreeListLink()->Options().Contains(tlpoHeaders)) << "written as the user works";
        SimulateKey(VK_ESCAPE);
    }));
    EXPECT_TRUE(link->Options().Contains(tlpoHeaders));
    EXPECT_EQ(link->DrawMode(), tldmStrict);

    // Changed and OK: kept, and the printer hears the design was done.
    EXPECT_TRUE(Design([](TWindow& W) {
        Toggle(W, Box(W, "Headers"));
        PickDrawMode(W, tldmOddEven);
        W.PageControl->SetActivePage(W.tshBehaviors);
        SimulateKey(Box(W, "Only Selected"), VK_SPACE);
        W.OKButton()->Click();
    }));
    EXPECT_TRUE(designed);
    EXPECT_FALSE(link->Options().Contains(tlpoHeaders));
    EXPECT_EQ(link->DrawMode(), tldmOddEven);
    EXPECT_TRUE(link->OnlySelected());
}

TEST_F(TLDesignWindow, OddEvenModeRenamesTheColourAndTransparencyFramesDisableTheirCombos)
{
    link->SetTransparent(false);
    EXPECT_TRUE(Design([](TWindow& W) {
        W.PageControl->SetActivePage(W.tshColors);
        EXPECT_NE(FindControlByCaption(&W, "Color:"), nullptr);
        EXPECT_FALSE(W.ColorCombo(TWindow::ciEvenColor)->Enabled());
        PickDrawMode(W, tldmOddEven);
        EXPECT_EQ(W.ColorLabel(TWindow::ciColor)->Caption(), "Odd Co&lor:");
        EXPECT_EQ(FindControlByCaption(&W, "Odd Color:"), W.ColorLabel(TWindow::ciColor));
        EXPECT_TRUE(W.ColorCombo(TWindow::ciEvenColor)->Enabled());
        PickDrawMode(W, tldmBorrowSource);
        EXPECT_EQ(W.ColorLabel(TWindow::ciColor)->Caption(), "Co&lor:");
        EXPECT_FALSE(W.ColorCombo(TWindow::ciEvenColor)->Enabled());
        PickDrawMode(W, tldmOddEven);

        std::vector<bool> before, transparent, fixed;
        for (int i = 0; i < TWindow::ciCount; ++i)
            before.push_back(W.ColorCombo(static_cast<TWindow::TColorItem>(i))->Enabled());
        Toggle(W, W.chbxTransparent);
        for (int i = 0; i < TWindow::ciCount; ++i)
            transparent.push_back(W.ColorCombo(static_cast<TWindow::TColorItem>(i))->Enabled());
        Toggle(W, W.chbxTransparent);
        Toggle(W, W.chbxFixedTransparent);
        for (int i = 0; i < TWindow::ciCount; ++i)
            fixed.push_back(W.ColorCombo(static_cast<TWindow::TColorItem>(i))->Enabled());
        EXPECT_EQ(before, std::vector<bool>(TWindow::ciCount, true));
        //                                 color  even   prev.  band   group  header footer grid
        EXPECT_EQ(transparent, (std::vector<bool>{false, false, false, true, true, true, true, true}));
        EXPECT_EQ(fixed, (std::vector<bool>{true, true, true, false, false, false, false, true}));
        EXPECT_EQ(W.ColorLabel(TWindow::ciBandColor)->Enabled(), false);

        Toggle(W, W.chbxFixedTransparent);
        // A click on a colour's label opens its list.
        TdxPSColorCombo* band = W.ColorCombo(TWindow::ciBandColor);
        SimulateClick(W.ColorLabel(TWindow::ciBandColor), 2, 2);
        EXPECT_TRUE(band->Focused());
        EXPECT_TRUE(band->DroppedDown());
        band->SetDroppedDown(false);

        // Each combo writes its own colour.
        for (int i = 0; i < TWindow::ciCount; ++i) {
            TdxPSColorCombo* combo = W.ColorCombo(static_cast<TWindow::TColorItem>(i));
            combo->SetColorValue(clTeal);
            combo->OnChange(combo);
        }
        W.OKButton()->Click();
    }));
    EXPECT_TRUE(link->FixedTransparent() == false && link->Transparent() == false);
    for (TColor c : {link->Color(), link->EvenColor(), link->PreviewColor(), link->BandColor(), link->GroupNodeColor(),
                     link->HeaderColor(), link->RowFooterColor(), link->GridLineColor()})
        EXPECT_EQ(c, clTeal);
}

TEST_F(TLDesignWindow, OddFontIsNotChangeableInStrictModeAndTheDialogChangesEverySelectedItem)
{
    int dialogs = 0;
    TFontDialogDevice device = fdBoth;
    std::string startedFrom;
    TCommonDialogHookScope fonts([&](TCommonDialog& D) {
        auto& dialog = dynamic_cast<TFontDialog&>(D);
        ++dialogs;
        device = dialog.Device();
        startedFrom = dialog.Font()->Name();
        dialog.Font()->SetName("Courier New");
        dialog.Font()->SetSize(14);
        return true;
    });
    link->OddFont()->SetName("Arial");
    const std::string oddBefore = FontToText(link->OddFont());
    bool popupEnabled = true;
    TPopupMenu::TPopupHook previous = TPopupMenu::SetPopupHook([&](TPopupMenu& Menu, int, int) {
        popupEnabled = Menu.Items()->Items(0)->Enabled();
    });
    EXPECT_TRUE(Design([&](TWindow& W) {
        EXPECT_EQ(W.lbxFonts->Items()->Get(TWindow::fiOdd), "Odd Font");
        SelectFonts(W, {TWindow::fiOdd});
        W.btnChangeFont->Click();
        SimulateKey(W.lbxFonts, VK_RETURN);
        EXPECT_EQ(dialogs, 0) << "strict mode: the odd font stays";
        dxPSPopupMenuManager()->ShowPopup(W.lbxFonts, {-1, -1});
        EXPECT_FALSE(popupEnabled);
        EXPECT_FALSE(W.Modified());

        // The odd font among others: the others change, the odd one not.
        SelectFonts(W, {TWindow::fiFont, TWindow::fiOdd, TWindow::fiFooter});
        dxPSPopupMenuManager()->ShowPopup(W.lbxFonts, {-1, -1});
        EXPECT_TRUE(popupEnabled);
        SimulateKey(W.lbxFonts, VK_RETURN);
        EXPECT_EQ(dialogs, 1);
        EXPECT_EQ(device, fdPrinter) << "a printer is installed";
        EXPECT_EQ(W.lbxFonts->Hint(), "");

        // In odd/even mode it changes, from a double click, starting from its own font.
        PickDrawMode(W, tldmOddEven);
        SelectFonts(W, {TWindow::fiOdd});
        const TRect r = W.lbxFonts->ItemRect(TWindow::fiOdd);
        SimulateDblClick(W.lbxFonts, r.Left + 4, r.Top + 2);
        EXPECT_EQ(dialogs, 2);
        EXPECT_EQ(startedFrom, "Arial");
        // The hint over an item names its font.
        SimulateMouseMove(W.lbxFonts, r.Left + 4, r.Top + 2);
        EXPECT_EQ(W.lbxFonts->Hint(), FontToText(W.TreeListLink()->OddFont()));
        W.OKButton()->Click();
    }));
    TPopupMenu::SetPopupHook(previous);
    EXPECT_EQ(link->Font()->Name(), "Courier New");
    EXPECT_EQ(link->FooterFont()->Size(), 14);
    EXPECT_EQ(link->OddFont()->Name(), "Courier New");
    EXPECT_NE(oddBefore, FontToText(link->OddFont()));
}

TEST(TLDesignWindowFonts, WithNoPrinterTheFontDialogListsScreenFonts)
{
    PrintDeviceScope<TScriptedPrinterBackend> none{[] { return std::make_unique<TScriptedPrinterBackend>(); }};
    TComponent owner(nullptr);
    auto* link = new TdxTreeListReportLink(&owner);
    std::unique_ptr<TWindow> window(CreateForm<TWindow>(nullptr));
    window->SetReportLink(link);
    TFontDialogDevice device = fdBoth;
    TCommonDialogHookScope fonts([&](TCommonDialog& D) {
        device = dynamic_cast<TFontDialog&>(D).Device();
        return false;
    });
    window->lbxFonts->SetSelected(TWindow::fiHeader, true);
    window->ChangeFont();
    EXPECT_EQ(device, fdScreen);
    EXPECT_FALSE(window->Modified()) << "the dialog was cancelled";
    // The fonts list's menu belongs to the printing popup manager while the window lives.
    const int menus = dxPSPopupMenuManager()->Count();
    EXPECT_TRUE(dxPSPopupMenuManager()->IsRegistered(window->lbxFonts));
    window.reset();
    EXPECT_EQ(dxPSPopupMenuManager()->Count(), menus - 1);
}

TEST_F(TLDesignWindow, TheSampleFollowsEachOption)
{
    // Every option where it shows: opaque rows of a colour, 3-D, and the
    // texts that stand in for check marks and graphics off.
    link->SetTransparent(false);
    link->SetColor(0xE0F0FF);
    link->SetOptions(TdxTreeListPaintOptions::FromBits(0xFFFF) -
                     TdxTreeListPaintOptions{tlpoCheckMarksAsText, tlpoGraphicAsText});
    EXPECT_TRUE(Design([](TWindow& W) {
        TdxTreeList& sample = *W.dxTLPreview;
        EXPECT_EQ(sample.Bands()->Items(0)->Caption(), "Item Data");
        EXPECT_EQ(sample.GetAbsoluteCount(), 7);
        const std::vector<std::string> texts = Texts(sample);
        for (const char* t : {"Regular", "Irregular", "Cone", "Cylinder", "Pyramid", "Box", "Free Surface", "Name",
                              "Axisymmetric", "Shape", "(Graphic)", "Count is: 5"})
            EXPECT_TRUE(Contains(texts, t)) << t;

        // Every paint option changes what the sample shows, and turning it back restores it.
        for (int o = 0; o < 16; ++o) {
            TCheckBox* box = W.OptionBox(static_cast<TdxTreeListPaintOption>(o));
            const std::vector<TColor> before = Picture(sample);
            Toggle(W, box);
            EXPECT_NE(Picture(sample), before) << box->Caption();
            Toggle(W, box);
            EXPECT_EQ(Picture(sample), before) << box->Caption();
        }
        EXPECT_TRUE(sample.Options().Contains(aoPreview));
        EXPECT_TRUE(sample.ShowRowFooter());
        EXPECT_TRUE(Contains(Texts(sample), "Count is: 4")) << "the Regular group's footer";

        // Texts in place of check marks and graphics.
        Toggle(W, W.OptionBox(tlpoCheckMarksAsText));
        Toggle(W, W.OptionBox(tlpoGraphicAsText));
        const std::vector<std::string> shown = Texts(sample);
        EXPECT_TRUE(Contains(shown, "True") && Contains(shown, "False"));
        EXPECT_TRUE(Contains(shown, "(GRAPHIC)"));

        // Colours: odd and even rows in odd/even mode, the link colour otherwise.
        W.ColorCombo(TWindow::ciColor)->SetColorValue(clRed);
        W.ColorCombo(TWindow::ciColor)->OnChange(nullptr);
        W.ColorCombo(TWindow::ciEvenColor)->SetColorValue(clBlue);
        W.ColorCombo(TWindow::ciEvenColor)->OnChange(nullptr);
        W.ColorCombo(TWindow::ciGroupNodeColor)->SetColorValue(clYellow);
        W.ColorCombo(TWindow::ciGroupNodeColor)->OnChange(nullptr);
        EXPECT_EQ(CellColor(sample, "Cone", 0), clRed);
        EXPECT_EQ(CellColor(sample, "Regular", 0), clYellow);
        PickDrawMode(W, tldmOddEven);
        EXPECT_EQ(CellColor(sample, "Regular", 0), clBlue) << "row 0 is even";
        EXPECT_EQ(CellColor(sample, "Cone", 0), clRed);
        EXPECT_EQ(CellColor(sample, "Cylinder", 0), clBlue);
        Toggle(W, W.chbxTransparent);
        EXPECT_EQ(CellColor(sample, "Cone", 0), ColorToRGB(clWindow));

        // Fonts and fixed colours go to the sample's own settings.
        W.ColorCombo(TWindow::ciBandColor)->SetColorValue(clLime);
        W.ColorCombo(TWindow::ciBandColor)->OnChange(nullptr);
        EXPECT_EQ(sample.BandColor(), clLime);
        Toggle(W, W.chbxFixedTransparent);
        EXPECT_EQ(sample.BandColor(), clWindow);
        EXPECT_EQ(sample.HeaderFont()->Name(), W.TreeListLink()->HeaderFont()->Name());
        Toggle(W, W.OptionBox(tlpo3DEffects));
        EXPECT_EQ(sample.LookAndFeel(), lfUltraFlat);
        Toggle(W, W.OptionBox(tlpo3DEffects));
        EXPECT_EQ(sample.LookAndFeel(), lfFlat);
        Toggle(W, W.OptionBox(tlpoSoft3D));
        EXPECT_EQ(sample.LookAndFeel(), lfStandard);
        W.OKButton()->Click();
    }));
}

TEST_F(TLDesignWindow, SpinsWriteCountsAndNodeExpandingShowsOnlyWhereItApplies)
{
    link->SetOptions(link->Options() + TdxTreeListPaintOptions{tlpoPreview});
    EXPECT_TRUE(Design([](TWindow& W) {
        EXPECT_TRUE(W.gbxNodeExpanding->Visible());
        EXPECT_TRUE(W.seExpandLevel->Visible());
        EXPECT_FALSE(W.sePreviewLineCount->Enabled()) << "counted automatically";
        EXPECT_EQ(W.sePreviewLineCount->MinValue(), -1);
        Toggle(W, W.chbxAutoCalcPreviewLines);
        EXPECT_TRUE(W.sePreviewLineCount->Enabled());
        EXPECT_EQ(W.sePreviewLineCount->MinValue(), 0);
        EXPECT_EQ(W.TreeListLink()->PreviewLineCount(), 0);
        SimulateKey(W.sePreviewLineCount, VK_UP);
        SimulateKey(W.sePreviewLineCount, VK_UP);
        EXPECT_EQ(W.dxTLPreview->PreviewLines(), 2);
        // Without the preview its line controls are off.
        Toggle(W, W.OptionBox(tlpoPreview));
        EXPECT_FALSE(W.chbxAutoCalcPreviewLines->Enabled());
        EXPECT_FALSE(W.sePreviewLineCount->Enabled());

        W.PageControl->SetActivePage(W.tshBehaviors);
        SimulateKey(W.seExpandLevel, VK_UP);
        SimulateKey(W.seExpandLevel, VK_UP);
        W.OKButton()->Click();
    }));
    EXPECT_EQ(link->PreviewLineCount(), 2);
    EXPECT_EQ(link->ExpandLevel(), 1);

    // The grid link's expand level is fixed: its node expanding is hidden.
    auto* gridLink = new TdxDBGridReportLink(&owner);
    std::unique_ptr<TWindow> window(CreateForm<TWindow>(nullptr));
    window->SetReportLink(gridLink);
    EXPECT_FALSE(window->gbxNodeExpanding->Visible());
    EXPECT_FALSE(window->chbxAutoNodesExpand->Visible());
    EXPECT_FALSE(window->seExpandLevel->Visible());
    EXPECT_TRUE(window->gbxSelection->Visible());
}

TEST_F(TLDesignWindow, TheLinkOrItsControlFreedWhileTheWindowIsOpen)
{
    // The control goes: the window keeps working on the link.
    EXPECT_TRUE(Design([&](TWindow& W) {
        delete tree;
        tree = nullptr;
        Toggle(W, Box(W, "Bands"));
        EXPECT_FALSE(W.dxTLPreview->ShowBands());
        W.OKButton()->Click();
    }));
    EXPECT_FALSE(link->Options().Contains(tlpoBands));

    // The link goes: the window ends as Cancel, and nothing of the link is touched.
    bool closed = false;
    EXPECT_FALSE(Design([&](TWindow& W) {
        Toggle(W, Box(W, "Bands"));
        delete link;
        closed = W.ModalResult() == mrCancel;
        Toggle(W, Box(W, "Headers"));
        W.lbxFonts->SetSelected(TWindow::fiFont, true);
        W.ChangeFont();
    }));
    link = nullptr;
    EXPECT_TRUE(closed);

    // ... also while its font dialog is open.
    tree = new TdxTreeList(&owner);
    link = dynamic_cast<TdxTreeListReportLink*>(printer->AddLink(tree));
    ASSERT_NE(link, nullptr);
    TCommonDialogHookScope fonts([&](TCommonDialog&) {
        delete link;
        link = nullptr;
        return true;
    });
    EXPECT_FALSE(Design([](TWindow& W) {
        W.lbxFonts->SetSelected(TWindow::fiFont, true);
        W.btnChangeFont->Click();
        EXPECT_FALSE(W.Modified());
    }));
    EXPECT_EQ(printer->LinkCount(), 0);

    // The printer goes, and its links with it, from inside its own DesignReport.
    tree = new TdxTreeList(&owner);
    link = dynamic_cast<TdxTreeListReportLink*>(printer->AddLink(tree));
    ASSERT_NE(link, nullptr);
    TModalFormHookScope hook([&](TForm& F) {
        auto& w = dynamic_cast<TWindow&>(F);
        Toggle(w, Box(w, "Footers"));
        delete printer;
        printer = nullptr;
        w.OKButton()->Click();
    });
    TFreeWatch watch{link};
    TdxComponentPrinter* opening = printer;
    EXPECT_FALSE(opening->DesignReport(link));
    EXPECT_TRUE(watch.AnyFreed());
    link = nullptr;
}

} // namespace
} // namespace qel::test
