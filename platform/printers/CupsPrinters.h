#pragma once
// The CUPS queues as printers: facts from libcups (queues, default, state
// reasons, job count, media with sizes, names and margins, sources, copies,
// collation), jobs rendered to PDF and handed to the queue. Pages arrive
// laid out in their orientation, so no orientation request is ever sent.
#include "platform/printers/PrinterBackend.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qel {

// The paper code of a PWG media name ("iso_a4_210x297mm" -> 9), or of a
// paper of KnownPapers within 1 tenth of a millimetre of its size; 0 when
// the media is neither.
int PaperCodeOfMedia(const std::string& PwgName, int Width, int Height,
                     const std::vector<TPrinterPaper>& KnownPapers);
// The bin code of a media-source keyword ("auto" -> 7), 0 when it has none.
int BinCodeOfSource(const std::string& Keyword);
// The name a paper is listed under: the KnownPapers name of its code, else
// the name CUPS gave it (Localized), else one read from its PWG name
// ("oe_photo-l_3.5x5in" -> "Photo l 3.5 x 5 in"). Without message catalogues
// CUPS answers the keyword itself, which is no name for people.
std::string PaperNameOfMedia(const std::string& PwgName, int Code, const char* Localized,
                             const std::vector<TPrinterPaper>& KnownPapers);
// The name a bin is listed under: the name CUPS gave it, else a readable
// name of its media-source keyword ("tray-1" -> "Tray 1", "auto" -> "Automatic").
std::string BinNameOfSource(const std::string& Keyword, const char* Localized);
// Status bits of printer-state and printer-state-reasons.
std::uint32_t StatusOfStateReasons(int State, const std::string& Reasons);

class TCupsPrinterBackend : public TPrinterBackend {
public:
    // KnownPapers (the paper table) give codes to media by size.
    explicit TCupsPrinterBackend(std::vector<TPrinterPaper> KnownPapers);
    ~TCupsPrinterBackend() override;

    std::vector<TPrinterInfo> Printers() override;
    std::string DefaultPrinter() override;
    TPrinterStatus Status(const std::string& Name) override;
    bool DefaultDeviceMode(const std::string& Name, TDeviceMode& Mode) override;
    std::optional<std::vector<TPrinterPaper>> Papers(const std::string& Name) override;
    std::optional<std::vector<TPrinterBin>> Bins(const std::string& Name) override;
    TPrinterLimits Limits(const std::string& Name) override;
    std::unique_ptr<TPrintJob> StartDoc(const std::string& Name, const TDeviceMode& Mode,
                                        const TDocInfo& Doc) override;

private:
    struct Queue;
    Queue* Find(const std::string& Name);
    void Load();
    void Clear();

    std::vector<TPrinterPaper> m_knownPapers;
    std::vector<std::unique_ptr<Queue>> m_queues;
    bool m_loaded{false};
};

} // namespace qel
