#include "printing/PreviewWindowBase.h"

#include "platform/core/ClassRegistry.h"
#include "printing/ReportLink.h"

namespace qel {

QEL_REGISTER_CLASS(TBasedxPreviewWindow, TCustomdxPSForm);

TBasedxPreviewWindow::TBasedxPreviewWindow(TComponent* AOwner) : TCustomdxPSForm(AOwner) {}

TBasedxPreviewWindow::~TBasedxPreviewWindow()
{
    if (TAbstractdxComponentPrinter* printer = m_printer)
        printer->PreviewWindowDestroyed(this);
}

void TBasedxPreviewWindow::DrawPageContent(TCanvas& Canvas, int PageIndex, const TRect& Rect)
{
    if (TAbstractdxComponentPrinter* printer = GetComponentPrinter())
        printer->PaintPage(Canvas, PageIndex, Rect, GetZoomFactor());
}

void TBasedxPreviewWindow::UpdateControls()
{
    if (TAbstractdxComponentPrinter* printer = GetComponentPrinter())
        printer->DesignerRefresh();
}

} // namespace qel
