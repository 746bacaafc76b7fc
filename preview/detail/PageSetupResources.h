#pragma once
// The pictures of the page setup dialog, painted in code and registered as
// named bitmap resources: the paper list's images (a sheet, an envelope, a
// paper bin, an automatic bin and the warning sign), the two print orders
// and the three vertical alignments of header and footer texts.
#include "platform/graphics/Graphics.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel {
class TBitmap;
class TCanvas;
class TFont;
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

// The dialogs' pictures are strips of Size x Size cells, one per painter,
// on the see-through colour kPictureClear; each painter starts with a black
// pen and a white brush at its cell's origin.
inline constexpr TColor kPictureClear = clFuchsia;
using TCellPainter = std::function<void(TCanvas* C)>;
std::unique_ptr<TBitmap> PaintStrip(int Size, const std::vector<TCellPainter>& Cells);
// A yellow warning triangle in a 16 x 16 cell.
void PaintWarningSign(TCanvas* C);
// The warning pane of the printing dialogs: Text beside the warning sign
// (image WarningImage of Images), in Font, on the info colours.
void PaintWarningPane(TBitmap& Pane, const TImageList& Images, int WarningImage, TFont* Font,
                      const std::string& Text);

} // namespace qel::detail
