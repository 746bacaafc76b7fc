#include "preview/PreviewDialogs.h"

#include "platform/core/ClassRegistry.h"
#include "preview/DateTimeFormats.h"
#include "preview/DefinePrintStyles.h"
#include "preview/FEFDialog.h"
#include "preview/PageNumberFormat.h"
#include "preview/PageSetupMenuBuilder.h"
#include "preview/PageSetupDialog.h"
#include "preview/PreviewOptionsDialog.h"
#include "preview/PreviewWindow.h"
#include "preview/PrintDialog.h"
#include "preview/ReportTitleProperties.h"
#include "preview/StdPreview.h"
#include "preview/TreeListReportDesignWindow.h"
#include "preview/ZoomDialog.h"
#include "printing/Background.h"
#include "printing/PrintDialogData.h"
#include "printing/PrintStyles.h"

#include <memory>

namespace qel {

namespace {

bool HasOptionsEditor(const std::string& StyleClass)
{
    return !GetPrintStyleEditorClass(StyleClass).empty();
}

bool ShowOptionsEditor(TBasedxPrintStyle& Copy, bool& Modified)
{
    const std::string editorClass = GetPrintStyleEditorClass(Copy.ClassName());
    if (editorClass.empty())
        return false;
    std::unique_ptr<TComponent> component(TClassRegistry::Instance().Create(editorClass, nullptr));
    auto* editor = dynamic_cast<TdxPrintStyleOptionsEditor*>(component.get());
    return editor && editor->Execute(Copy, Modified);
}

} // namespace

void dxInstallPreviewDialogs()
{
    dxInstallStdPreviewWindow();
    TdxBackground::SetSetupProc([](TdxBackground& Background) { return dxFEFDialogExecute(&Background); });

    TdxPrintStyleDialogRunners& styles = dxPrintStyleDialogRunners();
    styles.PageSetup = dxRunPrintStylePageSetup;
    styles.HasOptionsEditor = HasOptionsEditor;
    styles.ShowOptionsEditor = ShowOptionsEditor;
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

    dxComponentPrinterDialogRunners().PrintDialog = dxPrintDialog;

    TdxReportLinkDialogRunners& links = dxReportLinkDialogRunners();
    links.DateTimeFormats = dxDateTimeFormatsDlg;
    links.PageNumberFormat = dxPageNumberFormatDlg;
    links.ReportTitle = [](TdxReportTitle& Title, int HelpContext) {
        TdxReportTitlePropertiesDlgData data{HelpContext, &Title};
        return dxReportTitlePropertiesDlg(data);
    };
    links.PageSetupMenu = [](TComponent* Root, const TNotifyEvent& DefineStylesClick,
                             const TdxPrintStylePickedEvent& StylePicked, TBasedxPrintStyle* CurrentStyle,
                             const TStrings& Styles, bool AddDefineStylesItem) {
        // The newest builder class at each build; the items' handler keeps
        // the builder that reads their styles back.
        std::shared_ptr<TAbstractdxPSPageSetupMenuBuilder> builder = dxPSPageSetupMenuBuilderClass()->Create();
        const TNotifyEvent styleClick = [builder, StylePicked](TObject* Sender) {
            if (TBasedxPrintStyle* style = builder->ExtractPrintStyleFromObj(Sender))
                StylePicked(style);
        };
        builder->BuildPageSetupMenu(Root, DefineStylesClick, styleClick, CurrentStyle, &Styles, AddDefineStylesItem);
    };
    dxInstallTLReportLinkDesignWindow();

    TdxPreviewWindowDialogRunners& window = dxPreviewWindowDialogRunners();
    window.Options = [](TdxPreviewOptionsDlgData& Data) { return dxShowPreviewOptionsDlg(&Data); };
    window.Zoom = [](const TCustomdxPreview& Preview, TdxPreviewZoomSettings& Settings) {
        return dxShowZoomDlg(Preview, Settings);
    };
}

} // namespace qel
