#pragma once
// A printer back end whose printers, answers and failures a test scripts,
// and which records every job it runs. The documents are real PDF.
#include "platform/printers/PrinterBackend.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qel {

struct TScriptedPrinter {
    TPrinterInfo Info;
    TPrinterStatus Status;
    bool CanOpen = true;                               // false: no device mode
    TDeviceMode Mode;                                  // its own default settings
    std::optional<std::vector<TPrinterPaper>> Papers;  // nullopt: the question fails
    std::optional<std::vector<TPrinterBin>> Bins;
    TPrinterLimits Limits;
};

struct TScriptedJob {
    std::string Printer;
    TDocInfo Doc;
    std::vector<TDeviceMode> PageModes;   // the mode of each started page
    int PagesEnded = 0;
    bool Delivered = false;               // EndDoc handed the document over
    bool Aborted = false;
    std::string Document;                 // the PDF delivered
};

class TScriptedPrinterBackend : public TPrinterBackend {
public:
    // A printer with A4 (9), Letter (1) and a custom paper, an automatic and
    // a manual bin, 99 copies and collation.
    static TScriptedPrinter MakePrinter(const std::string& Name);

    std::vector<TScriptedPrinter> List;
    std::string Default;

    // Failures to script.
    bool FailStartDoc = false;
    int FailEndPage = 0;                  // the page number whose end fails
    bool FailEndDoc = false;

    std::vector<std::shared_ptr<TScriptedJob>> Jobs;
    int PrintersCalls = 0;

    std::vector<TPrinterInfo> Printers() override;
    std::string DefaultPrinter() override { return Default; }
    TPrinterStatus Status(const std::string& Name) override;
    bool DefaultDeviceMode(const std::string& Name, TDeviceMode& Mode) override;
    std::optional<std::vector<TPrinterPaper>> Papers(const std::string& Name) override;
    std::optional<std::vector<TPrinterBin>> Bins(const std::string& Name) override;
    TPrinterLimits Limits(const std::string& Name) override;
    std::unique_ptr<TPrintJob> StartDoc(const std::string& Name, const TDeviceMode& Mode,
                                        const TDocInfo& Doc) override;

    TScriptedPrinter* Find(const std::string& Name);
};

} // namespace qel
