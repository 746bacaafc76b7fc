#include "printing/PrintDialogData.h"

namespace qel {

TdxComponentPrinterDialogRunners& dxComponentPrinterDialogRunners()
{
    static TdxComponentPrinterDialogRunners runners;
    return runners;
}

} // namespace qel
