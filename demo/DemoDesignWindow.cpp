#include "demo/DemoDesignWindow.h"

#include "platform/controls/Automation.h"
#include "platform/controls/ComCtrls.h"
#include "preview/TreeListReportDesignWindow.h"

#include <filesystem>
#include <iterator>
#include <memory>

namespace qel::demo {

void SaveDesignWindowPictures(TBasedxReportLink& Link, const std::string& OutDir)
{
    const std::unique_ptr<TdxTLReportLinkDesignWindow> window(CreateForm<TdxTLReportLinkDesignWindow>(nullptr));
    window->SetReportLink(&Link);
    const char* const pages[] = {"design-window-options.png", "design-window-colors.png", "design-window-fonts.png",
                                 "design-window-behaviors.png"};
    for (int i = 0; i < static_cast<int>(std::size(pages)) && i < window->PageControl->PageCount(); ++i) {
        window->PageControl->SetActivePageIndex(i);
        SaveControlImage(window.get(), (std::filesystem::path(OutDir) / pages[i]).string());
    }
}

} // namespace qel::demo
