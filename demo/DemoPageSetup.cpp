#include "demo/DemoPageSetup.h"

#include "platform/controls/Application.h"
#include "platform/controls/Automation.h"
#include "platform/controls/Clock.h"
#include "platform/controls/ComCtrls.h"
#include "preview/PageSetupForm.h"
#include "printing/PSPrintStyle.h"
#include "printing/PrintControls.h"

#include <filesystem>
#include <memory>

namespace qel::demo {

void SavePageSetupPictures(const std::string& OutDir)
{
    TComponent owner(nullptr);
    auto* manager = new TdxPrintStyleManager(&owner);
    TBasedxPrintStyle* style = manager->AddStyle("TdxPSPrintStyle");
    style->SetStyleCaption("Zutrittsmatrix");
    style->PrinterPage()->PageHeader()->CenterTitle()->SetText("Zutrittsmatrix");
    TdxPageSetupDialog dialog(&owner);
    dialog.SetPrintStyle(style);
    // Pictured without showing the dialog, as the preview is.
    const std::unique_ptr<TdxfmPageSetupDialog> form = dxCreatePageSetupForm(dialog.DialogData(nullptr));
    const auto save = [&](const char* Name) {
        SaveControlImage(form.get(), (std::filesystem::path(OutDir) / Name).string());
    };
    const char* names[] = {"page-setup-page.png", "page-setup-margins.png", "page-setup-header-footer.png",
                           "page-setup-scaling.png"};
    for (int i = 0; i < 4; ++i) {
        form->pgctrlMain->SetActivePageIndex(i);
        save(names[i]);
    }
    // Top and bottom typed larger than the page allows, each left as a user leaves it.
    form->pgctrlMain->SetActivePage(form->tshMargins);
    for (TdxPSSpinEdit* edit : {form->seTop, form->seBottom}) {
        edit->SetValue(150);
        edit->OnExit(edit);
    }
    // The pane slides in on the clock; the picture shows it in place.
    const std::uint32_t end = GetTickCount() + 2000;
    while (form->bmaWarning->Animating() && GetTickCount() < end)
        Application().ProcessMessages();
    save("page-setup-margins-warning.png");
}

} // namespace qel::demo
