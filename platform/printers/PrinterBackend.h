#pragma once
// The printer back-end interface: everything the printer device asks of the
// system's printers. A back end lists printers, answers a printer's device
// mode record, papers, bins and limits, and runs print jobs whose pages are
// drawn through a TCanvas.
//
//   auto backend = CreateSystemPrinterBackend(papers);   // CUPS + "PDF-Datei"
//   TDeviceMode mode;
//   backend->DefaultDeviceMode("PDF-Datei", mode);
//   auto job = backend->StartDoc("PDF-Datei", mode, {"Report", "/tmp/out.pdf"});
//   job->StartPage(mode); job->BindCanvas(canvas); ...draw...; job->EndPage();
//   job->EndDoc();                                        // the output appears whole
//
// Sizes are in tenths of a millimetre, paper and bin codes are the device
// mode's numbers (paper codes of the paper table, 256 and above for papers a
// printer adds; bin code 7 is the automatic bin).
#include "platform/graphics/Canvas.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QImage;
class QPainter;

namespace qel {

// Field bits of TDeviceMode::Fields: which members the printer knows.
enum : std::uint32_t {
    DM_ORIENTATION = 0x1,
    DM_PAPERSIZE = 0x2,
    DM_PAPERLENGTH = 0x4,
    DM_PAPERWIDTH = 0x8,
    DM_COPIES = 0x100,
    DM_DEFAULTSOURCE = 0x200,
    DM_COLOR = 0x800,
    DM_DUPLEX = 0x1000,
    DM_COLLATE = 0x8000,
};
enum : int { DMORIENT_PORTRAIT = 1, DMORIENT_LANDSCAPE = 2 };
enum : int { DMCOLOR_MONOCHROME = 1, DMCOLOR_COLOR = 2 };
enum : int { DMDUP_SIMPLEX = 1, DMDUP_VERTICAL = 2, DMDUP_HORIZONTAL = 3 };
enum : int { DMCOLLATE_FALSE = 0, DMCOLLATE_TRUE = 1 };
enum : int { DMBIN_UPPER = 1, DMBIN_LOWER = 2, DMBIN_MIDDLE = 3, DMBIN_MANUAL = 4,
             DMBIN_ENVELOPE = 5, DMBIN_AUTO = 7, DMBIN_LARGECAPACITY = 11, DMBIN_USER = 256 };
// Paper codes at and above this one are papers of the printer itself.
inline constexpr int DMPAPER_FIRSTPRINTER = 256;

// The device mode record of one printer: the settings a job is printed with.
struct TDeviceMode {
    std::string DeviceName;
    std::uint32_t Fields = 0;
    int Orientation = DMORIENT_PORTRAIT;
    int PaperSize = 0;          // paper code
    int PaperLength = 0;        // custom paper, tenths of a millimetre
    int PaperWidth = 0;
    int Copies = 1;
    int DefaultSource = DMBIN_AUTO;
    int Color = DMCOLOR_COLOR;
    int Duplex = DMDUP_SIMPLEX;
    int Collate = DMCOLLATE_FALSE;

    bool operator==(const TDeviceMode&) const = default;
};

// Printer status bits as the print dialog names them.
enum : std::uint32_t {
    PRINTER_STATUS_PAUSED = 0x1, PRINTER_STATUS_ERROR = 0x2, PRINTER_STATUS_PAPER_JAM = 0x8,
    PRINTER_STATUS_PAPER_OUT = 0x10, PRINTER_STATUS_MANUAL_FEED = 0x20,
    PRINTER_STATUS_PAPER_PROBLEM = 0x40, PRINTER_STATUS_OFFLINE = 0x80,
    PRINTER_STATUS_BUSY = 0x200, PRINTER_STATUS_PRINTING = 0x400,
    PRINTER_STATUS_OUTPUT_BIN_FULL = 0x800, PRINTER_STATUS_NOT_AVAILABLE = 0x1000,
    PRINTER_STATUS_PROCESSING = 0x4000, PRINTER_STATUS_TONER_LOW = 0x20000,
    PRINTER_STATUS_NO_TONER = 0x40000, PRINTER_STATUS_USER_INTERVENTION = 0x100000,
    PRINTER_STATUS_OUT_OF_MEMORY = 0x200000, PRINTER_STATUS_DOOR_OPEN = 0x400000,
};

// One installed printer.
struct TPrinterInfo {
    std::string Name;
    std::string Driver;         // make and model
    std::string Port;           // where the output goes
    std::string Comment;
    std::string Location;
};

// Facts that change while the program runs.
struct TPrinterStatus {
    std::uint32_t Status = 0;   // PRINTER_STATUS_* bits, 0 when ready
    int JobCount = 0;           // jobs waiting or printing
    bool IsDefault = false;
    bool IsNetwork = false;
};

struct TPrinterPaper {
    int Code = 0;
    std::string Name;
    int Width = 0;              // tenths of a millimetre, portrait
    int Height = 0;
    // Unprintable border of this paper on this printer, tenths of a millimetre.
    int MarginLeft = 0, MarginTop = 0, MarginRight = 0, MarginBottom = 0;
    std::string Media;          // the back end's own name of the paper
};

struct TPrinterBin {
    int Code = 0;
    std::string Name;
    std::string Source;         // the back end's own name of the bin
};

// What the printer can do, its limits.
struct TPrinterLimits {
    int MaxCopies = 1;
    bool Collate = false;       // the printer collates copies itself
    int MinWidth = 0, MinLength = 0;   // custom paper limits, 0 when unknown
    int MaxWidth = 0, MaxLength = 0;
    int Resolution = 300;       // device pixels per inch of its pages
};

struct TDocInfo {
    std::string Title;
    // When set, the output goes to this file instead of the printer.
    std::string Output;
};

// A running print job. Destroying it without EndDoc drops it: nothing
// reaches the printer or the output file.
class TPrintJob {
public:
    virtual ~TPrintJob();
    TPrintJob() = default;
    TPrintJob(const TPrintJob&) = delete;
    TPrintJob& operator=(const TPrintJob&) = delete;

    // The spooler's number of the job once EndDoc delivered it (0 before,
    // and for a job written to a file).
    virtual int JobId() const = 0;
    // Begins a page laid out by Mode (paper, orientation); each page may
    // have its own.
    virtual void StartPage(const TDeviceMode& Mode) = 0;
    // Points Canvas at the open page: its origin at the printable area's
    // top-left corner, its device capabilities those of the page.
    virtual void BindCanvas(TCanvas& Canvas) = 0;
    virtual void UnbindCanvas(TCanvas& Canvas) = 0;
    // EPrinter when the page cannot be finished.
    virtual void EndPage() = 0;
    // Delivers the document; EPrinter when it cannot (nothing is delivered).
    virtual void EndDoc() = 0;
    virtual void Abort() = 0;
};

class TPrinterBackend {
public:
    virtual ~TPrinterBackend();
    TPrinterBackend() = default;
    TPrinterBackend(const TPrinterBackend&) = delete;
    TPrinterBackend& operator=(const TPrinterBackend&) = delete;

    virtual std::vector<TPrinterInfo> Printers() = 0;
    // The default printer's name; empty when the system names none.
    virtual std::string DefaultPrinter() = 0;
    virtual TPrinterStatus Status(const std::string& Name) = 0;
    // The printer's own settings; false when the printer cannot be opened.
    virtual bool DefaultDeviceMode(const std::string& Name, TDeviceMode& Mode) = 0;
    // nullopt when the printer cannot answer.
    virtual std::optional<std::vector<TPrinterPaper>> Papers(const std::string& Name) = 0;
    virtual std::optional<std::vector<TPrinterBin>> Bins(const std::string& Name) = 0;
    virtual TPrinterLimits Limits(const std::string& Name) = 0;
    // Device capabilities of a page printed with Mode: resolution, the
    // oriented paper and its printable area in device pixels.
    virtual TDeviceCaps PageCaps(const std::string& Name, const TDeviceMode& Mode);
    // The printer's settings dialog on Mode (PrinterSettingsDialog.h); true
    // when accepted, and only then is Mode changed.
    virtual bool PropertiesDialog(const std::string& Name, TDeviceMode& Mode);
    // Starts a document; EPrinter when the job cannot start.
    virtual std::unique_ptr<TPrintJob> StartDoc(const std::string& Name, const TDeviceMode& Mode,
                                                const TDocInfo& Doc) = 0;

protected:
    // The paper a mode prints on: its code in Papers, else the custom size
    // of the mode, else A4.
    TPrinterPaper PaperOf(const std::string& Name, const TDeviceMode& Mode);
};

// Page caps for a paper in a mode at a resolution.
TDeviceCaps PageCapsFor(const TPrinterPaper& Paper, const TDeviceMode& Mode, int Resolution);

// A measuring surface with a printer's resolution, for the time no job runs
// (the information context).
class TPrinterInfoContext {
public:
    explicit TPrinterInfoContext(const TDeviceCaps& Caps);
    ~TPrinterInfoContext();
    TPrinterInfoContext(const TPrinterInfoContext&) = delete;
    TPrinterInfoContext& operator=(const TPrinterInfoContext&) = delete;

    void BindCanvas(TCanvas& Canvas);
    void UnbindCanvas(TCanvas& Canvas);
    const TDeviceCaps& Caps() const { return m_caps; }

private:
    TDeviceCaps m_caps;
    std::unique_ptr<QImage> m_image;
    std::unique_ptr<QPainter> m_painter;
};

// The back end of the printers of this system: the CUPS queues followed by
// the built-in PDF file printer. PdfPapers are the papers the PDF printer
// offers (the caller's paper table).
std::unique_ptr<TPrinterBackend> CreateSystemPrinterBackend(std::vector<TPrinterPaper> PdfPapers);

} // namespace qel
