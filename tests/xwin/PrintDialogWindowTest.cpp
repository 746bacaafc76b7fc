// The print dialog on a real X server, used with the mouse and the keyboard
// as a person uses it: a page list typed, a refused character, the styles
// panel opened and OK clicked.
#include "XTestSupport.h"

#include "platform/controls/Application.h"
#include "platform/controls/Buttons.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/StdCtrls.h"
#include "platform/printers/ScriptedPrinters.h"
#include "preview/PrintDialog.h"
#include "printing/PrintControls.h"
#include "printing/PrintDevice.h"
#include "printing/PrintStyles.h"

#include <gtest/gtest.h>

namespace qel::test {

TEST(PrintDialogWindow, APageListTypedAndOKClickedPrintThosePages)
{
    dxPrintDeviceInstance(2);
    dxSetPrintDeviceBackendFactory([] {
        auto backend = std::make_unique<TScriptedPrinterBackend>();
        backend->List = {TScriptedPrinterBackend::MakePrinter("Buero")};
        backend->Default = "Buero";
        return backend;
    });
    int beeps = 0;
    const TBeepHook savedBeep = SetBeepHook([&](unsigned) { ++beeps; });
    TComponent owner(nullptr);
    auto* manager = new TdxPrintStyleManager(&owner);
    manager->AddStyle()->SetStyleCaption("Standard");
    TdxPrintDialogData data;
    data.MinRange = 1;
    data.MaxRange = 5;
    data.StyleManager = manager;
    TdxPrintDialogRequest request;
    request.Data = &data;
    request.Title = "Print";
    request.ButtonsVisible = request.ButtonsEnabled = {pdbPrinterProperties, pdbPreview, pdbPageSetup};
    request.OptionsVisible = {pdoPrintToFile, pdoAllPages, pdoPageRange, pdoPrintStyles};
    request.OptionsEnabled = {pdoPrintToFile, pdoAllPages, pdoPageRange};
    bool active = false;
    std::string title;
    bool expanded = false;
    TModalFormHookScope hook([&](TForm& F) {
        auto& d = dynamic_cast<TdxfmPrintDialog&>(F);
        active = WaitUntilActive(d);
        title = XTitleOf(d);
        ClickAt(d.btnPageSetup, 20, 10);
        expanded = d.StylesExpanded() && d.pnlPrintStyles->Visible();
        ClickAt(d.rbtnPageRanges, 8, 8);
        EXPECT_TRUE(d.edPageRanges->Focused()) << "choosing the page list focuses its edit";
        XInput().Type("x1,3");
        Settle();
        ClickAt(d.btnOK, 20, 10);
    });
    const bool ok = dxPrintDialog(request);
    SetBeepHook(savedBeep);
    dxPrintDeviceInstance(2);
    dxSetPrintDeviceBackendFactory({});
    EXPECT_TRUE(active);
    EXPECT_EQ(title, "Print");
    EXPECT_TRUE(expanded) << "the Print Styles button opened the panel";
    EXPECT_TRUE(ok);
    EXPECT_EQ(beeps, 1) << "the letter was refused";
    EXPECT_EQ(data.PageRanges, 2);
    EXPECT_EQ(data.Pages, "1,3");
}

} // namespace qel::test
