#pragma once
// TdxPrintDevice: the printing engine's one view of the printers. It lists
// the installed printers, keeps the selected printer with its own copy of
// the device mode, the papers and bins that printer offers, a canvas on the
// printer and the print job (begin, new page, end, abort). Page settings,
// the page setup and print dialogs and the component printer all work
// through the one instance that dxPrintDevice() answers.
//
//   TdxPrintDevice* device = dxPrintDevice();
//   device->SetPaperByCode(9);                 // A4, when the printer has it
//   device->SetOrientation(poLandscape);
//   device->SetTitle("Zutrittsmatrix");
//   if (device->BeginDoc() > 0) {
//       device->Canvas()->TextOut(100, 100, "Seite 1");
//       device->NewPage();
//       ...
//       device->EndDoc();                      // EdxPrintDevice when it fails
//   }
//
// The printers come from a back end (platform/printers): the CUPS queues and
// the built-in PDF file printer, or a scripted one in tests.
#include "platform/core/Events.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Object.h"
#include "platform/core/Strings.h"
#include "platform/core/TSet.h"
#include "platform/graphics/Canvas.h"
#include "platform/printers/PrinterBackend.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qel {

class TdxPrintDevice;
class TWinControl;

QEL_DECLARE_EXCEPTION(EdxPrintDevice, Exception);

enum TdxPrinterOrientation : std::uint8_t { poPortrait, poLandscape };

enum TdxPrintDeviceCapability : std::uint8_t { pcCopies, pcOrientation, pcCollation };
using TdxPrintDeviceCapabilities = TSet<TdxPrintDeviceCapability>;

// PrinterIndex while the printer is not yet resolved.
inline constexpr int dxUnknownPrinterIndex = static_cast<int>(0x80000001u);

// Where the settings of the per-user profile live in the settings store; the
// value "device" names the default printer ("name,driver,port").
inline constexpr const char* dxProfileWindowsKey = "\\Software\\Tessaro\\Profile\\windows";
inline constexpr const char* dxProfileDeviceValue = "device";

// One installed printer, with what its queue says of itself.
class TdxPrintDeviceInfo : public TObject {
    QEL_CLASS(TdxPrintDeviceInfo)
public:
    TdxPrintDeviceInfo(std::string ADevice, std::string ADriver, std::string APort, std::string AComment = {},
                       std::string ALocation = {})
        : m_device(std::move(ADevice)), m_driver(std::move(ADriver)), m_port(std::move(APort)),
          m_comment(std::move(AComment)), m_location(std::move(ALocation))
    {
    }
    const std::string& Device() const { return m_device; }
    const std::string& Driver() const { return m_driver; }
    const std::string& Port() const { return m_port; }
    const std::string& Comment() const { return m_comment; }
    const std::string& Location() const { return m_location; }

private:
    std::string m_device;
    std::string m_driver;
    std::string m_port;
    std::string m_comment;
    std::string m_location;
};

// One paper of the selected printer; sizes in tenths of a millimetre.
class TdxPaperInfo : public TObject {
    QEL_CLASS(TdxPaperInfo)
public:
    TdxPaperInfo(TdxPrintDevice* ADevice, int ADMPaper, std::string AName, int AWidth, int AHeight)
        : m_device(ADevice), m_dmPaper(ADMPaper), m_name(std::move(AName)), m_size{AWidth, AHeight}
    {
    }
    int DMPaper() const { return m_dmPaper; }
    const std::string& Name() const { return m_name; }
    TdxPrintDevice* Device() const { return m_device; }
    int Width() const { return m_size[0]; }
    int Height() const { return m_size[1]; }
    void SetWidth(int Value) { SetSize(0, Value); }
    void SetHeight(int Value) { SetSize(1, Value); }
    // 0 width, 1 height.
    int GetSize(int Index) const { return Index == 0 ? m_size[0] : m_size[1]; }
    // Only a custom paper (code 256 or more) takes a size; it reaches the
    // device mode's paper width or length.
    void SetSize(int Index, int Value);
    bool IsCustom() const { return m_dmPaper >= 256; }

private:
    TdxPrintDevice* m_device;
    int m_dmPaper;
    std::string m_name;
    int m_size[2];
};

// A paper bin; its code rides along as the list entry's object.
class TdxBinInfo : public TObject {
    QEL_CLASS(TdxBinInfo)
public:
    explicit TdxBinInfo(int ACode) : m_code(ACode) {}
    int Code() const { return m_code; }

private:
    int m_code;
};

// The canvas on the printer: an information context while no job runs (for
// measuring), the page of the job while one does.
class TdxPrintDeviceCanvas : public TCanvas {
    QEL_CLASS(TdxPrintDeviceCanvas)
public:
    explicit TdxPrintDeviceCanvas(TdxPrintDevice* ADevice) : m_device(ADevice) {}
    TdxPrintDevice* PrintDevice() const { return m_device; }
    // Keeps the font's size in points when the device's pixels per inch
    // differ from the font's.
    void MatchFontResolution();

protected:
    void Changing() override;

private:
    TdxPrintDevice* m_device;
};

class TdxPrintDevice : public TObject {
    QEL_CLASS(TdxPrintDevice)
public:
    // The device over a back end; nullptr takes the system's printers.
    explicit TdxPrintDevice(std::unique_ptr<TPrinterBackend> ABackend = nullptr);
    // A running job is aborted: a partial document is never delivered.
    ~TdxPrintDevice() override;

    TPrinterBackend& Backend() { return *m_backend; }

    // ----- printer list ------------------------------------------------------
    // Names, each with its TdxPrintDeviceInfo; built on first use.
    TStringList* Printers();
    TdxPrintDeviceInfo* PrinterInfo(int Index);
    // Reading resolves the default printer while unknown; writing selects
    // (-1: the default printer).
    int PrinterIndex();
    void SetPrinterIndex(int Value);
    void Refresh();
    std::string GetDeviceName();
    std::string GetDriverName() const { return m_driverName; }
    std::string GetPortName() const { return m_portName; }
    // Facts that change while the program runs (status, jobs waiting).
    TPrinterStatus GetPrinterStatus(int Index);

    // ----- papers and bins ---------------------------------------------------
    TStringList* Papers();
    TdxPaperInfo* PaperInfo(int Index);
    TStringList* Bins();
    int BinCode(int Index);
    int IndexOfPaper(int Code);
    int IndexOfPaperBySize(int Width, int Height);
    int IndexOfBin(int Code);
    int CurrentPaperIndex();
    void SetPaperIndex(int Index);
    void SetBinIndex(int Index);
    bool SetPaperByCode(int Code);
    bool SetBinByCode(int Code);
    // May clamp Width and Height (custom paper) to the printer's extents.
    bool SetPaperBySize(int& Width, int& Height);
    bool IsAutoSelectBin(int Index);
    bool IsEnvelopePaper(int Index);

    // ----- capabilities and device mode values -------------------------------
    // Of the selected printer (resolved first); empty and 0 without one.
    TdxPrintDeviceCapabilities Capabilities();
    int MaxCopies();
    // 0 width, 1 length; tenths of a millimetre.
    int GetMaxExtent(int Index);
    int GetMinExtent(int Index);
    // 0 x, 1 y; device pixels.
    int GetPhysicalOffset(int Index);
    int HorzRes();
    int VertRes();
    int GetDeviceCaps(int Index);
    int GetCopies();
    void SetCopies(int Value);
    bool GetCollate();
    void SetCollate(bool Value);
    void SetDuplex(int Value);
    void SetOrientation(TdxPrinterOrientation Value);
    void SetColor(int Value);
    // The device mode of the selected printer; nullptr without one.
    TDeviceMode* DeviceMode();
    bool DeviceModeChanged() const { return m_devModeChanged; }

    // ----- job -------------------------------------------------------------------
    // The job number (1 or more) when the job started, -1 when it did not.
    int BeginDoc();
    void NewPage();
    void EndDoc();
    void Abort();
    bool Printing() const { return m_printing; }
    bool Aborted() const { return m_aborted; }
    int PageNumber() const { return m_pageNumber; }
    TdxPrintDeviceCanvas* Canvas();
    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& Value) { m_title = Value; }
    // Print to file: when set, the next job's output goes to this file
    // instead of the printer (as PDF); the end of that job clears it, so a
    // later job prints again.
    const std::string& OutputFileName() const { return m_outputFileName; }
    void SetOutputFileName(const std::string& Value) { m_outputFileName = Value; }

    // The printer's settings dialog on a copy of the device mode, which
    // replaces the device mode when the dialog is accepted.
    bool ShowPropertiesDialog(TWinControl* ParentWindow);

    TNotifyEvent OnNewPage;
    TNotifyEvent OnPrinterChange;
    TNotifyEvent OnRefresh;

private:
    enum TDCState { dcsNone, dcsIC, dcsDC };

    void CheckPrinting(bool Value);
    bool HasPrinters();
    // Asks for the printer list, resolves the selected printer; true when a
    // device mode exists.
    bool Ready();
    void ResolveDefaultPrinter();
    // EdxPrintDevice when there is no default printer in the list.
    int DefaultPrinterIndex();
    // Again: select even when it is the selected printer.
    void SelectPrinter(int Index, bool Again);
    void FreePrinter();
    void FreePrinterList();
    void AdjustExtents();
    void SetDCState(TDCState Value);
    void ReleaseCanvas();
    void MarkChanged() { m_devModeChanged = true; }
    void DropJob();
    friend class TdxPaperInfo;

    std::unique_ptr<TPrinterBackend> m_backend;
    std::unique_ptr<TStringList> m_printers;
    std::vector<std::unique_ptr<TdxPrintDeviceInfo>> m_printerInfos;
    int m_printerIndex{dxUnknownPrinterIndex};
    std::string m_deviceName, m_driverName, m_portName;
    std::unique_ptr<TDeviceMode> m_devMode;
    bool m_devModeChanged{false};
    TdxPrintDeviceCapabilities m_capabilities;
    int m_maxCopies{0};
    TPrinterLimits m_limits;
    int m_maxExtent[2]{0, 0};
    int m_minExtent[2]{0, 0};
    std::unique_ptr<TStringList> m_papers;
    std::vector<std::unique_ptr<TdxPaperInfo>> m_paperInfos;
    std::unique_ptr<TStringList> m_bins;
    std::vector<std::unique_ptr<TdxBinInfo>> m_binInfos;

    TDCState m_dcState{dcsNone};
    std::unique_ptr<TPrinterInfoContext> m_infoContext;
    std::unique_ptr<TPrintJob> m_job;
    std::unique_ptr<TdxPrintDeviceCanvas> m_canvas;
    bool m_printing{false};
    bool m_aborted{false};
    int m_pageNumber{0};
    int m_jobCount{0};
    std::string m_title;
    std::string m_outputFileName;
};

// The process-wide device: 0 answers it (or nullptr), 1 creates it when
// needed, 2 frees and forgets it; any other code raises EdxPrintDevice
// "Illegal AccessCode %d in GetInstance".
TdxPrintDevice* dxPrintDeviceInstance(int AccessCode);
// The process-wide device, created on first use.
TdxPrintDevice* dxPrintDevice();
// The back end a newly created process-wide device takes (tests script one);
// an empty factory restores the system's printers.
void dxSetPrintDeviceBackendFactory(std::function<std::unique_ptr<TPrinterBackend>()> Factory);

// True when a printer exists and the device can talk to it; an error while
// trying yields false, or is raised again when RaiseOnError is set.
bool dxIsPrinterInstalled(bool RaiseOnError = false);
// The selected printer's settings dialog (paper, source, orientation,
// copies, collation, two-sided, colour) on the device's device mode; true
// when accepted.
bool dxShowPrinterPropertiesDialog(TWinControl* ParentWindow);
// There is no connect-to-printer dialog here: CUPS finds network printers
// itself. Answers false.
bool dxConnectToNetworkPrinter(TWinControl* ParentWindow);

} // namespace qel
