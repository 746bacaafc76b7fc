#include "platform/printers/CupsPrinters.h"
#include "platform/printers/PdfFilePrinter.h"
#include "platform/printers/PrinterBackend.h"

namespace qel {

namespace {

// The CUPS queues, then the PDF file printer, which is always there and is
// the default when CUPS has no printer at all.
class TSystemPrinterBackend : public TPrinterBackend {
public:
    explicit TSystemPrinterBackend(std::vector<TPrinterPaper> Papers) : m_cups(Papers), m_pdf(std::move(Papers)) {}

    std::vector<TPrinterInfo> Printers() override
    {
        std::vector<TPrinterInfo> list = m_cups.Printers();
        m_cupsCount = static_cast<int>(list.size());
        list.push_back(m_pdf.Info());
        return list;
    }
    std::string DefaultPrinter() override
    {
        if (m_cupsCount < 0)
            Printers();
        return m_cupsCount == 0 ? std::string(PdfPrinterName) : m_cups.DefaultPrinter();
    }
    TPrinterStatus Status(const std::string& Name) override
    {
        if (!IsPdf(Name))
            return m_cups.Status(Name);
        TPrinterStatus status = m_pdf.Status();
        status.IsDefault = DefaultPrinter() == PdfPrinterName;
        return status;
    }
    bool DefaultDeviceMode(const std::string& Name, TDeviceMode& Mode) override
    {
        return IsPdf(Name) ? m_pdf.DefaultDeviceMode(Mode) : m_cups.DefaultDeviceMode(Name, Mode);
    }
    std::optional<std::vector<TPrinterPaper>> Papers(const std::string& Name) override
    {
        if (IsPdf(Name))
            return m_pdf.Papers();
        return m_cups.Papers(Name);
    }
    std::optional<std::vector<TPrinterBin>> Bins(const std::string& Name) override
    {
        if (IsPdf(Name))
            return m_pdf.Bins();
        return m_cups.Bins(Name);
    }
    TPrinterLimits Limits(const std::string& Name) override
    {
        return IsPdf(Name) ? m_pdf.Limits() : m_cups.Limits(Name);
    }
    TDeviceCaps PageCaps(const std::string& Name, const TDeviceMode& Mode) override
    {
        if (IsPdf(Name))
            return PageCapsFor(m_pdf.PaperOf(Mode), Mode, m_pdf.Limits().Resolution);
        return m_cups.PageCaps(Name, Mode);
    }
    std::unique_ptr<TPrintJob> StartDoc(const std::string& Name, const TDeviceMode& Mode,
                                        const TDocInfo& Doc) override
    {
        return IsPdf(Name) ? m_pdf.StartDoc(Mode, Doc) : m_cups.StartDoc(Name, Mode, Doc);
    }

private:
    static bool IsPdf(const std::string& Name) { return Name == PdfPrinterName; }

    TCupsPrinterBackend m_cups;
    TPdfFilePrinter m_pdf;
    int m_cupsCount{-1};
};

} // namespace

std::unique_ptr<TPrinterBackend> CreateSystemPrinterBackend(std::vector<TPrinterPaper> PdfPapers)
{
    return std::make_unique<TSystemPrinterBackend>(std::move(PdfPapers));
}

} // namespace qel
