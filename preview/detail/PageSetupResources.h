#pragma once
// The pictures of the page setup dialog, painted in code and registered as
// named bitmap resources: the paper list's images (a sheet, an envelope, a
// paper bin, an automatic bin and the warning sign), the two print orders
// and the three vertical alignments of header and footer texts.
#include <memory>

namespace qel {
class TImageList;
}

namespace qel::detail {

// Indexes into the paper images.
enum TPageSetupPaperImage : int { psiPaper, psiEnvelope, psiBin, psiAutoBin, psiWarning };

// 16 x 16 each.
std::unique_ptr<TImageList> CreatePageSetupPaperImages();
// Over then down, down then over; 48 x 48 each.
std::unique_ptr<TImageList> CreatePageSetupPageOrderImages();
// Top, centre, bottom; 16 x 16 each.
std::unique_ptr<TImageList> CreatePageSetupAlignYImages();

} // namespace qel::detail
