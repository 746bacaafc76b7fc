#pragma once
#include <string>

namespace qel {
class TdxfmPrintDialog;
}

namespace qel::demo {

struct TAccessMatrixPreview;

// What a person does in the print dialog, in order: the printer, the page
// list (empty: all pages), copies and collation, and the file to print to
// (empty: the printer itself); then OK.
struct TPrintDialogSteps {
    std::string Printer;
    std::string Pages;
    int Copies = 1;
    bool Collate = false;
    std::string FileName;
};

// Acts in an open print dialog as the steps say and presses OK.
void ActInPrintDialog(TdxfmPrintDialog& Dialog, const TPrintDialogSteps& Steps);

// Pictures of the print dialog on the report's page count, as the component
// printer opens it, with a style manager attached: print-dialog.png (styles
// panel closed) and print-dialog-styles.png (open) in OutDir.
void SavePrintDialogPictures(TAccessMatrixPreview& Report, const std::string& OutDir);

// Prints the report through the component printer and the real print
// dialog, driven by Steps; true when it printed.
bool PrintThroughPrintDialog(TAccessMatrixPreview& Report, const TPrintDialogSteps& Steps);

} // namespace qel::demo
