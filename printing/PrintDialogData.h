#pragma once
// The print dialog's record (TdxPrintDialogData), the request the component
// printer hands to the dialog, and the runner through which it reaches the
// dialog. The dialog itself belongs to the preview layer, which installs
// its runner here when it starts; without one, printing with the dialog is
// cancelled and prints nothing.
//
//   dxComponentPrinterDialogRunners().PrintDialog = [](TdxPrintDialogRequest& Request) {
//       ...                                 // edits *Request.Data, sets PreviewBtnClicked
//       return true;                        // closed with OK
//   };
//
// The printer the user picks is selected on the printer device itself.
#include "platform/core/Events.h"
#include "platform/core/TSet.h"

#include <cstdint>
#include <functional>
#include <string>

namespace qel {

class TStrings;
class TdxPrintStyleManager;

struct TdxPrintDialogData {
    int Copies = 1;
    bool Collate = false;
    // Remembered print-to-file names, most recent first (may be nullptr).
    TStrings* FileList = nullptr;
    std::string FileName;
    // The pages a page list may name.
    int MaxRange = 0;
    int MinRange = 1;
    // "Number of Pages": 0 all, 1 even, 2 odd.
    std::uint8_t PageNums = 0;
    // 0 all pages, 1 the current page, 2 the page list, 3 the selection.
    std::uint8_t PageRanges = 0;
    // The page list as typed, blanks removed ("1,3-4").
    std::string Pages;
    bool PrintToFile = false;
    TdxPrintStyleManager* StyleManager = nullptr;
};

enum TdxPrintDlgButton : std::uint8_t {
    pdbPrinterProperties, pdbNetwork, pdbPreview, pdbPageSetup, pdbDefineStyles, pdbStyleOptions, pdbHelp
};
using TdxPrintDlgButtons = TSet<TdxPrintDlgButton>;

enum TdxPrintDlgOption : std::uint8_t {
    pdoPrintToFile, pdoAllPages, pdoCurrentPage, pdoSelection, pdoPageRange, pdoPrintStyles
};
using TdxPrintDlgOptions = TSet<TdxPrintDlgOption>;

// Done is true on entry; PreviewBtnClicked tells that page setup asked for a preview.
using TdxPrintDlgPageSetupEvent =
    std::function<void(TObject* Sender, bool& Done, void* Reserved, bool& PreviewBtnClicked)>;

struct TdxPrintDlgEvents {
    TNotifyEvent OnClose;
    TdxPrintDlgPageSetupEvent OnPageSetup;
    TNotifyEvent OnShow;
};

struct TdxPrintDialogRequest {
    TdxPrintDialogData* Data = nullptr;
    std::string Title;
    TdxPrintDlgButtons ButtonsEnabled;
    TdxPrintDlgButtons ButtonsVisible;
    TdxPrintDlgOptions OptionsEnabled;
    TdxPrintDlgOptions OptionsVisible;
    TdxPrintDlgEvents Events;
    // False: OK closes without checking the file name and the page list.
    bool CheckOnOK = true;
    // Out: the dialog's Preview button closed it (with Cancel), or a preview
    // was asked for in the page setup it ran (closed with OK).
    bool PreviewBtnClicked = false;
};

struct TdxComponentPrinterDialogRunners {
    // The print dialog: true when it closed with OK.
    std::function<bool(TdxPrintDialogRequest& Request)> PrintDialog;
};
TdxComponentPrinterDialogRunners& dxComponentPrinterDialogRunners();

} // namespace qel
