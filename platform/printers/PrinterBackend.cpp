#include "platform/printers/PrinterBackend.h"

#include "platform/printers/PrinterSettingsDialog.h"

#include <QImage>
#include <QPainter>

#include <cmath>

namespace qel {

TPrintJob::~TPrintJob() = default;
TPrinterBackend::~TPrinterBackend() = default;

TPrinterPaper TPrinterBackend::PaperOf(const std::string& Name, const TDeviceMode& Mode)
{
    TPrinterPaper result;
    if (auto papers = Papers(Name)) {
        for (const TPrinterPaper& p : *papers)
            if (p.Code == Mode.PaperSize) {
                result = p;
                break;
            }
    }
    // A custom paper (or one the printer lets the mode size) takes the
    // mode's size.
    if ((Mode.Fields & DM_PAPERWIDTH) && Mode.PaperWidth > 0)
        if (result.Code == 0 || result.Code >= DMPAPER_FIRSTPRINTER)
            result.Width = Mode.PaperWidth;
    if ((Mode.Fields & DM_PAPERLENGTH) && Mode.PaperLength > 0)
        if (result.Code == 0 || result.Code >= DMPAPER_FIRSTPRINTER)
            result.Height = Mode.PaperLength;
    if (result.Width <= 0 || result.Height <= 0) {
        result.Width = 2100;
        result.Height = 2970;
    }
    return result;
}

TDeviceCaps TPrinterBackend::PageCaps(const std::string& Name, const TDeviceMode& Mode)
{
    return PageCapsFor(PaperOf(Name, Mode), Mode, Limits(Name).Resolution);
}

bool TPrinterBackend::PropertiesDialog(const std::string& Name, TDeviceMode& Mode)
{
    const auto papers = Papers(Name);
    const auto bins = Bins(Name);
    return RunPrinterSettingsDialog(Name, papers ? *papers : std::vector<TPrinterPaper>{},
                                    bins ? *bins : std::vector<TPrinterBin>{}, Limits(Name), Mode);
}

static int TenthsToPixels(int Tenths, int Resolution)
{
    return static_cast<int>(std::lround(Tenths * static_cast<double>(Resolution) / 254.0));
}

TDeviceCaps PageCapsFor(const TPrinterPaper& Paper, const TDeviceMode& Mode, int Resolution)
{
    if (Resolution <= 0)
        Resolution = 300;
    int w = Paper.Width, h = Paper.Height;
    int left = Paper.MarginLeft, top = Paper.MarginTop, right = Paper.MarginRight, bottom = Paper.MarginBottom;
    if (Mode.Orientation == DMORIENT_LANDSCAPE) {
        std::swap(w, h);
        const int oldLeft = left, oldTop = top, oldRight = right, oldBottom = bottom;
        left = oldBottom;
        top = oldLeft;
        right = oldTop;
        bottom = oldRight;
    }
    TDeviceCaps caps;
    caps.Technology = DT_RASPRINTER;
    caps.LogPixelsX = caps.LogPixelsY = Resolution;
    caps.PhysicalWidth = TenthsToPixels(w, Resolution);
    caps.PhysicalHeight = TenthsToPixels(h, Resolution);
    caps.PhysicalOffsetX = TenthsToPixels(left, Resolution);
    caps.PhysicalOffsetY = TenthsToPixels(top, Resolution);
    caps.HorzRes = std::max(1, caps.PhysicalWidth - caps.PhysicalOffsetX - TenthsToPixels(right, Resolution));
    caps.VertRes = std::max(1, caps.PhysicalHeight - caps.PhysicalOffsetY - TenthsToPixels(bottom, Resolution));
    caps.HorzSize = static_cast<int>(std::lround(caps.HorzRes * 25.4 / Resolution));
    caps.VertSize = static_cast<int>(std::lround(caps.VertRes * 25.4 / Resolution));
    return caps;
}

TPrinterInfoContext::TPrinterInfoContext(const TDeviceCaps& Caps)
    : m_caps(Caps), m_image(std::make_unique<QImage>(8, 8, QImage::Format_ARGB32_Premultiplied)),
      m_painter(std::make_unique<QPainter>())
{
    const int dpm = static_cast<int>(std::lround(std::max(1, Caps.LogPixelsX) / 0.0254));
    m_image->setDotsPerMeterX(dpm);
    m_image->setDotsPerMeterY(static_cast<int>(std::lround(std::max(1, Caps.LogPixelsY) / 0.0254)));
    m_image->fill(Qt::white);
}

TPrinterInfoContext::~TPrinterInfoContext()
{
    if (m_painter->isActive())
        m_painter->end();
}

void TPrinterInfoContext::BindCanvas(TCanvas& Canvas)
{
    if (!m_painter->isActive())
        m_painter->begin(m_image.get());
    Canvas.SetDeviceCaps(m_caps);
    Canvas.Attach(m_painter.get(), m_image.get());
}

void TPrinterInfoContext::UnbindCanvas(TCanvas& Canvas)
{
    if (Canvas.Device() == m_image.get())
        Canvas.Detach();
}

} // namespace qel
