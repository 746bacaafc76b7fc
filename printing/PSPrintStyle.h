#pragma once
// TdxPSPrintStyle: the standard print style, "Standard Style". It tells its
// users before and after a report is generated and printed with it, and its
// defaults put the page number in the middle and the date on the right of
// the page footer.
#include "printing/PrintStyles.h"

namespace qel {

class TdxPSPrintStyle : public TBasedxPrintStyle {
    QEL_CLASS(TdxPSPrintStyle)
public:
    explicit TdxPSPrintStyle(TComponent* AOwner);

    // The page's defaults, then "[Page #]" in the footer's centre and
    // "[Date Printed]" on its right (when those functions are registered).
    void RestoreDefaults() override;
    void BeforePrinting() override;
    void AfterPrinting() override;
    virtual void BeforeGenerating();
    virtual void AfterGenerating();

    TNotifyEvent OnAfterGenerating;
    TNotifyEvent OnAfterPrinting;
    TNotifyEvent OnBeforeGenerating;
    TNotifyEvent OnBeforePrinting;
};

// The printing units' start and end: the standard style becomes (and stops
// being) the default style class; the end also empties the link registry.
void dxPSStartStandardStyle();
void dxPSEndStandardStyle();

} // namespace qel
