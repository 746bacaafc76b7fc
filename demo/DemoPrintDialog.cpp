#include "demo/DemoPrintDialog.h"

#include "demo/DemoDialogs.h"
#include "demo/DemoPreview.h"
#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Buttons.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/StdCtrls.h"
#include "preview/PrintDialog.h"
#include "printing/ComponentPrinter.h"
#include "printing/PrintControls.h"
#include "printing/PrintStyles.h"
#include "printing/ReportLink.h"

#include <filesystem>
#include <memory>

namespace qel::demo {

void ActInPrintDialog(TdxfmPrintDialog& Dialog, const TPrintDialogSteps& Steps)
{
    if (!Steps.Printer.empty()) {
        const int printer = Dialog.cbxPrinters->Items()->IndexOf(Steps.Printer);
        if (printer >= 0 && printer != Dialog.cbxPrinters->ItemIndex()) {
            Dialog.cbxPrinters->SetItemIndex(printer);
            if (Dialog.cbxPrinters->OnChange)
                Dialog.cbxPrinters->OnChange(Dialog.cbxPrinters);
        }
    }
    if (!Steps.Pages.empty()) {
        Dialog.rbtnPageRanges->SetChecked(true);
        Dialog.edPageRanges->SetFocus();
        SimulateKey(Dialog.edPageRanges, 'A', {ssCtrl});
        SimulateText(Steps.Pages);
    } else {
        Dialog.rbtnAllPages->SetChecked(true);
    }
    Dialog.seCopies->SetFocus();
    Dialog.seCopies->SetValue(Steps.Copies);
    Dialog.chbxCollate->SetChecked(Steps.Collate);
    Dialog.chbxPrintToFile->SetChecked(!Steps.FileName.empty());
    // Quoted, the name is taken as typed (else it would get ".prn").
    if (!Steps.FileName.empty())
        Dialog.cbxFileName->SetText("\"" + Steps.FileName + "\"");
    Dialog.btnOK->Click();
}

void SavePrintDialogPictures(TAccessMatrixPreview& Report, const std::string& OutDir)
{
    TComponent owner(nullptr);
    TdxPrintStyleManager* manager = MakeDemoStyleManager(owner);

    TdxPrintDialogData data;
    data.MinRange = 1;
    data.MaxRange = Report.Link->GetPageCount();
    data.StyleManager = manager;
    TdxPrintDialogRequest request;
    request.Data = &data;
    request.Title = "Print";
    request.ButtonsVisible = {pdbPrinterProperties, pdbPreview, pdbPageSetup, pdbDefineStyles, pdbStyleOptions};
    request.ButtonsEnabled = request.ButtonsVisible;
    request.OptionsVisible = {pdoPrintToFile, pdoAllPages, pdoCurrentPage, pdoPageRange, pdoPrintStyles};
    request.OptionsEnabled = {pdoPrintToFile, pdoAllPages, pdoCurrentPage, pdoPageRange};
    const std::unique_ptr<TdxfmPrintDialog> dialog = dxCreatePrintDialogForm(request);
    const auto file = [&](const char* Name) { return (std::filesystem::path(OutDir) / Name).string(); };
    if (dialog->StylesExpanded())
        dialog->btnPageSetup->Click();
    SaveControlImage(dialog.get(), file("print-dialog.png"));
    dialog->btnPageSetup->Click();
    SaveControlImage(dialog.get(), file("print-dialog-styles.png"));
}

bool PrintThroughPrintDialog(TAccessMatrixPreview& Report, const TPrintDialogSteps& Steps)
{
    TModalFormHookScope hook([&](TForm& Form) {
        if (auto* dialog = dynamic_cast<TdxfmPrintDialog*>(&Form))
            ActInPrintDialog(*dialog, Steps);
    });
    // The program writes its files again on every run: the dialog's question
    // whether to overwrite the last run's file is answered yes, as a person
    // would; any other question stops the print.
    TMessageDlgHookScope answers([](const TMessageDlgParams& Params) {
        const bool overwrite = Params.Type == mtConfirmation && Params.Text.ends_with("already exists. Overwrite ?");
        return overwrite ? mrYes : mrCancel;
    });
    return Report.Printer->Print(true, nullptr, Report.Link);
}

} // namespace qel::demo
