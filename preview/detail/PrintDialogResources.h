#pragma once
// The pictures of the print dialog, painted in code and registered as
// bitmap resources: the printer list's images, the warning sign and the
// page setup button's arrows; and the form icons of the print dialog
// (30001) and of page setup (30003).
#include <memory>

namespace qel {
class TForm;
class TImageList;
} // namespace qel

namespace qel::detail {

// Indexes into the print dialog's images; a printer's is IsNetwork + 2 x IsDefault.
enum TPrintDialogImage : int {
    pdiPrinter, pdiNetworkPrinter, pdiDefaultPrinter, pdiDefaultNetworkPrinter, pdiWarning, pdiArrowDown, pdiArrowUp
};

inline constexpr int dxPrintDialogIconResource = 30001;
inline constexpr int dxPageSetupIconResource = 30003;

// 16 x 16 each.
std::unique_ptr<TImageList> CreatePrintDialogImages();
// The form's icon from one of the two icon resources.
void SetFormIconResource(TForm& Form, int ResourceId);

} // namespace qel::detail
