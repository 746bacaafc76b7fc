#include "preview/PreviewDialogs.h"

#include "preview/DefinePrintStyles.h"
#include "preview/FEFDialog.h"
#include "preview/StdPreview.h"
#include "printing/Background.h"
#include "printing/PrintStyles.h"

namespace qel {

void dxInstallPreviewDialogs()
{
    dxInstallStdPreviewWindow();
    TdxBackground::SetSetupProc([](TdxBackground& Background) { return dxFEFDialogExecute(&Background); });

    TdxPrintStyleDialogRunners& styles = dxPrintStyleDialogRunners();
    styles.DefinePrintStyles = [](TdxPrintStyleManager& Manager, const std::string& Title, int HelpContext,
                                  bool* PreviewBtnClicked, bool* PrintBtnClicked) {
        TdxDefinePrintStylesDlgData data;
        data.StyleManager = &Manager;
        data.Title = Title;
        data.HelpContext = HelpContext;
        dxDefinePrintStylesDlg(data);
        if (PreviewBtnClicked)
            *PreviewBtnClicked = data.PreviewBtnClicked;
        if (PrintBtnClicked)
            *PrintBtnClicked = data.PrintBtnClicked;
    };
}

} // namespace qel
