#include "preview/PreviewDialogs.h"

#include "preview/FEFDialog.h"
#include "printing/Background.h"

namespace qel {

void dxInstallPreviewDialogs()
{
    TdxBackground::SetSetupProc([](TdxBackground& Background) { return dxFEFDialogExecute(&Background); });
}

} // namespace qel
