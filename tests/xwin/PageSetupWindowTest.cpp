// The page setup dialog on a real X server, used with the mouse and the
// keyboard: tabs, a typed margin, a margin dragged in the margins preview, OK.
#include "XTestSupport.h"

#include "platform/controls/Application.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/core/Locale.h"
#include "platform/printers/ScriptedPrinters.h"
#include "preview/PageSetupForm.h"
#include "preview/Preview.h"
#include "preview/PreviewDialogs.h"
#include "printing/PSPrintStyle.h"
#include "printing/PrintControls.h"
#include "printing/PrintDevice.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace qel::test {

namespace {

class PageSetupWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousSetup = TdxBackground::SetSetupProc(nullptr);
        dxInstallPreviewDialogs();
        dxPrintDeviceInstance(2);
        dxSetPrintDeviceBackendFactory([] {
            auto backend = std::make_unique<TScriptedPrinterBackend>();
            backend->List.push_back(TScriptedPrinterBackend::MakePrinter("Buero"));
            backend->Default = "Buero";
            return backend;
        });
        auto* manager = new TdxPrintStyleManager(owner.get());
        style = manager->AddStyle("TdxPSPrintStyle");
        style->SetStyleCaption("Zutrittsmatrix");
    }
    void TearDown() override
    {
        owner.reset();
        dxPrintDeviceInstance(2);
        dxSetPrintDeviceBackendFactory({});
        dxPrintStyleDialogRunners() = previousRunners;
        TdxBackground::SetSetupProc(previousSetup);
    }
    // Runs the dialog with Script acting in it once it has the focus.
    bool Run(const std::function<void(TdxfmPageSetupDialog&)>& Script)
    {
        bool ran = false;
        TModalFormHookScope hook([&](TForm& Form) {
            auto& d = dynamic_cast<TdxfmPageSetupDialog&>(Form);
            ASSERT_TRUE(WaitUntilActive(d)) << "the dialog gets the focus";
            Settle();
            ran = true;
            Script(d);
        });
        const bool result = style->PageSetup();
        EXPECT_TRUE(ran);
        return result;
    }
    void ClickTab(TdxfmPageSetupDialog& D, TTabSheet* Sheet)
    {
        const TRect tab = D.pgctrlMain->TabRect(Sheet->PageIndex());
        ClickAt(D.pgctrlMain, (tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2);
    }

    TdxPrintStyleDialogRunners previousRunners = dxPrintStyleDialogRunners();
    TdxBackgroundSetupProc previousSetup;
    LocaleScope locale;   // millimetres
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    TBasedxPrintStyle* style = nullptr;
};

TEST_F(PageSetupWindow, TabsFollowTheMouseAndTheirLetters)
{
    EXPECT_FALSE(Run([&](TdxfmPageSetupDialog& d) {
        EXPECT_EQ(XTitleOf(d), "Page Setup: Zutrittsmatrix");
        for (TTabSheet* sheet : {d.tshMargins, d.tshHeaderFooter, d.tshScaling, d.tshPage}) {
            ClickTab(d, sheet);
            EXPECT_EQ(d.pgctrlMain->ActivePage(), sheet) << sheet->Caption();
        }
        XInput().Key('m', {XK_Alt_L});
        Settle();
        EXPECT_EQ(d.pgctrlMain->ActivePage(), d.tshMargins);
        XInput().Key(XK_Escape);
        Settle();
    }));
}

TEST_F(PageSetupWindow, AMarginTypedAndAMarginDraggedGoBackOnOk)
{
    EXPECT_TRUE(Run([&](TdxfmPageSetupDialog& d) {
        ClickTab(d, d.tshMargins);
        ClickAt(d.seTop, 10, d.seTop->ClientHeight() / 2);
        XInput().Key('a', {XK_Control_L});
        XInput().Type("30");
        XInput().Key(XK_Tab);
        Settle();
        EXPECT_DOUBLE_EQ(d.seTop->Value(), 30);

        // The left margin's line, dragged 20 pixels to the right.
        TdxPreview* p = d.prvMargins;
        TdxPreviewMargin* left = p->Margins()->Left();
        const TRect page = p->PageBounds(0);
        const int line = left->ValueToPixel(left->Value());
        const int y = (page.Top + page.Bottom) / 2;
        const TPoint from = OnScreen(p, line, y);
        XInput().Drag(from.X, from.Y, from.X + 20, from.Y);
        Settle();
        EXPECT_GT(d.seLeft->Value(), 12.7);
        EXPECT_TRUE(d.MarginsChanged());
        EXPECT_FALSE(d.InvalidMarginsWarning());

        ClickAt(d.btnOK, 20, d.btnOK->ClientHeight() / 2);
        EXPECT_EQ(d.ModalResult(), mrOk);
    }));
    EXPECT_EQ(style->PrinterPage()->Margins()->Top(), 30000);
    EXPECT_GT(style->PrinterPage()->Margins()->Left(), 12700);
}

} // namespace

} // namespace qel::test
