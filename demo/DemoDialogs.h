#pragma once
#include <string>

namespace qel {
class TComponent;
class TdxPrintStyleManager;
} // namespace qel

namespace qel::demo {

// Three print styles, the first current, the second landscape, on a
// manager that Owner frees.
TdxPrintStyleManager* MakeDemoStyleManager(TComponent& Owner);

// Pictures of the print dialogs on a page background and a style manager,
// made without showing them: palette.png, fill-effects-texture.png,
// fill-effects-pattern.png, fill-effects-picture.png and
// define-print-styles.png in OutDir; and of the preview's small dialogs:
// zoom.png, preview-options.png, date-time-formats.png,
// page-number-format.png and report-title.png.
void SaveDialogPictures(const std::string& OutDir);

} // namespace qel::demo
