#pragma once
// The built-in PDF file printer "PDF-Datei" (port "PDF:"): always present,
// papers from the caller's paper table, one automatic bin. Each job becomes
// one PDF file with real text, written whole or not at all.
#include "platform/printers/PrinterBackend.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qel {

inline constexpr const char* PdfPrinterName = "PDF-Datei";
inline constexpr const char* PdfPrinterPort = "PDF:";
inline constexpr const char* PdfPrinterBinName = "Automatisch";

class TPdfFilePrinter {
public:
    explicit TPdfFilePrinter(std::vector<TPrinterPaper> Papers);

    TPrinterInfo Info() const;
    TPrinterStatus Status() const { return {}; }
    bool DefaultDeviceMode(TDeviceMode& Mode) const;
    const std::vector<TPrinterPaper>& Papers() const { return m_papers; }
    std::vector<TPrinterBin> Bins() const;
    TPrinterLimits Limits() const;
    TPrinterPaper PaperOf(const TDeviceMode& Mode) const;
    // A job without an output file asks for one (a save dialog); when none
    // is chosen the job does not start (EPrinter).
    std::unique_ptr<TPrintJob> StartDoc(const TDeviceMode& Mode, const TDocInfo& Doc);

    // Asks for the output file of a job without one; nullopt when cancelled.
    std::function<std::optional<std::string>(const std::string& Title)> AskFileName;

private:
    std::vector<TPrinterPaper> m_papers;
};

// The PDF printer on its own, as a whole back end.
class TPdfPrinterBackend : public TPrinterBackend {
public:
    explicit TPdfPrinterBackend(std::vector<TPrinterPaper> Papers) : m_printer(std::move(Papers)) {}

    std::vector<TPrinterInfo> Printers() override { return {m_printer.Info()}; }
    std::string DefaultPrinter() override { return PdfPrinterName; }
    TPrinterStatus Status(const std::string& Name) override;
    bool DefaultDeviceMode(const std::string& Name, TDeviceMode& Mode) override;
    std::optional<std::vector<TPrinterPaper>> Papers(const std::string& Name) override;
    std::optional<std::vector<TPrinterBin>> Bins(const std::string& Name) override;
    TPrinterLimits Limits(const std::string& Name) override;
    std::unique_ptr<TPrintJob> StartDoc(const std::string& Name, const TDeviceMode& Mode,
                                        const TDocInfo& Doc) override;

    TPdfFilePrinter& Printer() { return m_printer; }

private:
    TPdfFilePrinter m_printer;
};

} // namespace qel
