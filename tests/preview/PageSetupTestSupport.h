#pragma once
// The page setup dialog over scripted printers: a style manager with one
// style, the dialog run with a script that acts as the user, and what the
// dialog asked of the user on the way (message boxes, beeps).
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Dialogs.h"
#include "platform/core/Locale.h"
#include "platform/printers/ScriptedPrinters.h"
#include "preview/PageSetupDialog.h"
#include "preview/PageSetupForm.h"
#include "preview/PreviewDialogs.h"
#include "printing/PSPrintStyle.h"
#include "printing/PrintControls.h"
#include "printing/PrintDevice.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qel::test {

// The process's printer device, made anew over these printers (the first is
// the default); none for no printer.
inline void UseScriptedPrinters(std::vector<TScriptedPrinter> Printers)
{
    dxPrintDeviceInstance(2);
    dxSetPrintDeviceBackendFactory([Printers] {
        auto backend = std::make_unique<TScriptedPrinterBackend>();
        backend->List = Printers;
        if (!Printers.empty())
            backend->Default = Printers.front().Info.Name;
        return backend;
    });
}

class PageSetupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousSetup = TdxBackground::SetSetupProc(nullptr);
        dxInstallPreviewDialogs();
        UsePrinters({TScriptedPrinterBackend::MakePrinter("Buero")});
        owner = std::make_unique<TComponent>(nullptr);
        manager = new TdxPrintStyleManager(owner.get());
        style = static_cast<TdxPSPrintStyle*>(manager->AddStyle("TdxPSPrintStyle"));
        style->SetStyleCaption("Standard");
    }
    void TearDown() override
    {
        owner.reset();
        dxPrintDeviceInstance(2);
        dxSetPrintDeviceBackendFactory({});
        TdxPrinterPage::RebuildDefaultPage();
        dxPrintStyleDialogRunners() = previousRunners;
        TdxBackground::SetSetupProc(previousSetup);
    }

    // The device over these printers (the first is the default); none for no printer.
    void UsePrinters(std::vector<TScriptedPrinter> Printers) { UseScriptedPrinters(std::move(Printers)); }

    // Runs the style's dialog through the shared runner with Script acting
    // in it, and otherForms in the forms it opens; message boxes are answered
    // from `answers`, else with Cancel (or Ignore where there is no Cancel).
    bool Run(const std::function<void(TdxfmPageSetupDialog&)>& Script, int Page = 0, bool* Preview = nullptr,
             bool* Print = nullptr)
    {
        TModalFormHookScope hook([&](TForm& Form) {
            auto* page = dynamic_cast<TdxfmPageSetupDialog*>(&Form);
            if (!page) {
                if (otherForms)
                    otherForms(Form);
                return;
            }
            TdxfmPageSetupDialog& d = *page;
            Script(d);
            if (d.ModalResult() == mrNone)
                d.SetModalResult(mrCancel);
        });
        return style->PageSetup(Page, Preview, Print);
    }

    TMessageDlgHookScope messages{[this](const TMessageDlgParams& P) {
        asked.push_back(P);
        if (answers.empty())
            return P.Buttons.Contains(mbCancel) ? mrCancel : mrIgnore;
        const TModalResult r = answers.front();
        answers.erase(answers.begin());
        return r;
    }};
    TBeepHook savedBeep = SetBeepHook([this](unsigned) { ++beeps; });
    ~PageSetupTest() override { SetBeepHook(savedBeep); }

    TdxPrintStyleDialogRunners previousRunners = dxPrintStyleDialogRunners();
    TdxBackgroundSetupProc previousSetup;
    std::function<void(TForm&)> otherForms;
    LocaleScope locale;   // German: millimetres, decimal comma
    std::unique_ptr<TComponent> owner;
    TdxPrintStyleManager* manager = nullptr;
    TdxPSPrintStyle* style = nullptr;
    std::vector<TMessageDlgParams> asked;
    std::vector<TModalResult> answers;
    int beeps = 0;
};

// Types Text into Edit as a user does: focus, select all, type.
inline void TypeInto(TWinControl* Edit, const std::string& Text)
{
    Edit->SetFocus();
    SimulateKey(Edit, 'A', {ssCtrl});
    SimulateText(Text);
}

} // namespace qel::test
