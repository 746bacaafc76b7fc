#pragma once
#include <string>

namespace qel::demo {

// Pictures of the page setup dialog on the access matrix's print style,
// written into OutDir: page-setup-page.png, page-setup-margins.png,
// page-setup-header-footer.png and page-setup-scaling.png (one per tab), and
// page-setup-margins-warning.png (margins that do not fit, with the warning
// pane showing). The dialog is closed with Cancel.
void SavePageSetupPictures(const std::string& OutDir);

} // namespace qel::demo
