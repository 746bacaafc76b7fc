#include "preview/PreviewDialogs.h"

#include "preview/DateTimeFormats.h"
#include "preview/DefinePrintStyles.h"
#include "preview/FEFDialog.h"
#include "preview/PageNumberFormat.h"
#include "preview/ReportTitleProperties.h"
#include "printing/Background.h"
#include "printing/PrintStyles.h"

namespace qel {

void dxInstallPreviewDialogs()
{
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

    TdxReportLinkDialogRunners& links = dxReportLinkDialogRunners();
    links.DateTimeFormats = dxDateTimeFormatsDlg;
    links.PageNumberFormat = dxPageNumberFormatDlg;
    links.ReportTitle = [](TdxReportTitle& Title, int HelpContext) {
        TdxReportTitlePropertiesDlgData data{HelpContext, &Title};
        return dxReportTitlePropertiesDlg(data);
    };
}

} // namespace qel
