#pragma once
#include <string>

namespace qel {
class TBasedxReportLink;
}

namespace qel::demo {

// Pictures of the report designer on Link, one per page, made without
// showing it: design-window-options.png, -colors.png, -fonts.png and
// -behaviors.png in OutDir. The link is left as it was.
void SaveDesignWindowPictures(TBasedxReportLink& Link, const std::string& OutDir);

} // namespace qel::demo
