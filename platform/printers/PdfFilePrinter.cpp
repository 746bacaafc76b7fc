#include "platform/printers/PdfFilePrinter.h"

#include "platform/controls/Dialogs.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"
#include "platform/printers/PdfPrintJob.h"

namespace qel {

namespace {

// Paper code of A4 in the paper table, the PDF printer's default paper.
constexpr int PdfDefaultPaper = 9;
constexpr int PdfResolution = 600;

std::optional<std::string> AskPdfFileName(const std::string& Title)
{
    TSaveDialog dialog(nullptr);
    dialog.SetFilter("PDF (*.pdf)|*.pdf");
    dialog.SetDefaultExt("pdf");
    dialog.SetFileName(Title.empty() ? std::string("Dokument.pdf") : Title + ".pdf");
    if (!dialog.Execute())
        return std::nullopt;
    return dialog.FileName();
}

} // namespace

TPdfFilePrinter::TPdfFilePrinter(std::vector<TPrinterPaper> Papers)
    : AskFileName(AskPdfFileName), m_papers(std::move(Papers))
{
}

TPrinterInfo TPdfFilePrinter::Info() const
{
    return TPrinterInfo{PdfPrinterName, "PDF", PdfPrinterPort, "", ""};
}

bool TPdfFilePrinter::DefaultDeviceMode(TDeviceMode& Mode) const
{
    Mode = TDeviceMode{};
    Mode.DeviceName = PdfPrinterName;
    Mode.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_DEFAULTSOURCE | DM_COLOR;
    Mode.Orientation = DMORIENT_PORTRAIT;
    Mode.PaperSize = PdfDefaultPaper;
    for (const TPrinterPaper& p : m_papers)
        if (p.Code == PdfDefaultPaper) {
            Mode.PaperWidth = p.Width;
            Mode.PaperLength = p.Height;
        }
    Mode.DefaultSource = DMBIN_AUTO;
    Mode.Color = DMCOLOR_COLOR;
    return true;
}

std::vector<TPrinterBin> TPdfFilePrinter::Bins() const
{
    return {TPrinterBin{DMBIN_AUTO, PdfPrinterBinName, "auto"}};
}

TPrinterLimits TPdfFilePrinter::Limits() const
{
    TPrinterLimits limits;
    limits.MaxCopies = 1;
    limits.Collate = false;
    limits.Resolution = PdfResolution;
    return limits;
}

TPrinterPaper TPdfFilePrinter::PaperOf(const TDeviceMode& Mode) const
{
    TPrinterPaper result;
    for (const TPrinterPaper& p : m_papers)
        if (p.Code == Mode.PaperSize) {
            result = p;
            break;
        }
    if (result.Width <= 0 || result.Height <= 0 || result.Code >= DMPAPER_FIRSTPRINTER) {
        if (Mode.PaperWidth > 0 && Mode.PaperLength > 0) {
            result.Width = Mode.PaperWidth;
            result.Height = Mode.PaperLength;
        }
    }
    if (result.Width <= 0 || result.Height <= 0) {
        result.Width = 2100;
        result.Height = 2970;
    }
    return result;
}

std::unique_ptr<TPrintJob> TPdfFilePrinter::StartDoc(const TDeviceMode&, const TDocInfo& Doc)
{
    std::string target = Doc.Output;
    if (target.empty()) {
        std::optional<std::string> chosen = AskFileName ? AskFileName(Doc.Title) : std::nullopt;
        if (!chosen || chosen->empty())
            throw EPrinter("No output file chosen");
        target = *chosen;
    }
    return std::make_unique<TPdfPrintJob>(
        Doc.Title, PdfResolution, [this](const TDeviceMode& M) { return PaperOf(M); },
        [target](const std::string& Bytes) {
            SafeWriteFile(target, [&](TStream& S) { S.WriteBytes(Bytes); });
            return 0;
        });
}

TPrinterStatus TPdfPrinterBackend::Status(const std::string&)
{
    TPrinterStatus status = m_printer.Status();
    status.IsDefault = true;
    return status;
}

bool TPdfPrinterBackend::DefaultDeviceMode(const std::string& Name, TDeviceMode& Mode)
{
    return Name == PdfPrinterName && m_printer.DefaultDeviceMode(Mode);
}

std::optional<std::vector<TPrinterPaper>> TPdfPrinterBackend::Papers(const std::string& Name)
{
    if (Name != PdfPrinterName)
        return std::nullopt;
    return m_printer.Papers();
}

std::optional<std::vector<TPrinterBin>> TPdfPrinterBackend::Bins(const std::string& Name)
{
    if (Name != PdfPrinterName)
        return std::nullopt;
    return m_printer.Bins();
}

TPrinterLimits TPdfPrinterBackend::Limits(const std::string&)
{
    return m_printer.Limits();
}

std::unique_ptr<TPrintJob> TPdfPrinterBackend::StartDoc(const std::string& Name, const TDeviceMode& Mode,
                                                        const TDocInfo& Doc)
{
    if (Name != PdfPrinterName)
        throw EPrinter("Printer selected is not valid");
    return m_printer.StartDoc(Mode, Doc);
}

} // namespace qel
