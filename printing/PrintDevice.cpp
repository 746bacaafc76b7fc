#include "printing/PrintDevice.h"

#include "platform/controls/Application.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/storage/Registry.h"
#include "printing/PaperTable.h"

#include <algorithm>

namespace qel {

namespace {

const char* const sPrinterIndexOutOfRange = "Printer index out of range";
const char* const sPrinterNotValid = "Printer selected is not valid";
const char* const sNotPrinting = "Printer is not currently printing";
const char* const sPrinting = "Printing in progress";
const char* const sNoDefaultPrinter = "There is no default printer selected";
const char* const sCustomSize = "Custom Size";
const char* const sDefaultTray = "Default Tray";

constexpr int CustomPaperCode = 256;
constexpr int DefaultTrayCode = 256;
constexpr int LetterPaperCode = 1;
// Longest profile entry read, as the profile reader allows.
constexpr std::size_t MaxProfileText = 256;

bool ContainsText(const std::string& Text, const char* Part)
{
    return Text.find(Part) != std::string::npos;
}

// The standard papers for the PDF printer: the paper table without its
// zero-sized custom row (the device appends its own custom paper).
std::vector<TPrinterPaper> PaperTablePapers()
{
    std::vector<TPrinterPaper> papers;
    TdxPapers& table = dxPapers();
    for (int i = 0; i < table.Count(); ++i) {
        const TdxPaper* row = table.Items(i);
        if (row->DMPaper() >= CustomPaperCode || row->Width() <= 0 || row->Height() <= 0)
            continue;
        TPrinterPaper paper;
        paper.Code = row->DMPaper();
        paper.Name = row->Name();
        paper.Width = row->Width();
        paper.Height = row->Height();
        papers.push_back(std::move(paper));
    }
    return papers;
}

std::string ProfileDevice()
{
    try {
        TRegistry reg;
        if (!reg.OpenKeyReadOnly(dxProfileWindowsKey))
            return {};
        std::string text = reg.ReadString(dxProfileDeviceValue);
        if (text.size() > MaxProfileText)
            text.resize(MaxProfileText);
        return text;
    } catch (const Exception&) {
        return {};
    }
}

void ProcessWaitingMessages()
{
    Application().ProcessMessages();
}

} // namespace

// ============================================================================
// Papers and canvas

void TdxPaperInfo::SetSize(int Index, int Value)
{
    if (!IsCustom() || Index < 0 || Index > 1)
        return;
    m_size[Index] = Value;
    if (m_device && m_device->m_devMode) {
        if (Index == 0)
            m_device->m_devMode->PaperWidth = Value;
        else
            m_device->m_devMode->PaperLength = Value;
        m_device->MarkChanged();
    }
}

void TdxPrintDeviceCanvas::MatchFontResolution()
{
    const int ppi = GetDeviceCaps(LOGPIXELSY);
    if (ppi <= 0 || Font()->PixelsPerInch() == ppi)
        return;
    const int size = Font()->Size();
    Font()->SetPixelsPerInch(ppi);
    Font()->SetSize(size);
}

void TdxPrintDeviceCanvas::Changing()
{
    if (m_device && !m_device->Printing())
        throw EdxPrintDevice(sNotPrinting);
    TCanvas::Changing();
}

// ============================================================================
// Device

TdxPrintDevice::TdxPrintDevice(std::unique_ptr<TPrinterBackend> ABackend)
    : m_backend(ABackend ? std::move(ABackend) : CreateSystemPrinterBackend(PaperTablePapers()))
{
}

TdxPrintDevice::~TdxPrintDevice()
{
    // A job still running is dropped rather than delivered half-done.
    if (m_printing) {
        try {
            Abort();
        } catch (...) {
        }
    }
    DropJob();
    ReleaseCanvas();
    m_infoContext.reset();
    m_canvas.reset();
}

void TdxPrintDevice::CheckPrinting(bool Value)
{
    if (m_printing != Value)
        throw EdxPrintDevice(Value ? sNotPrinting : sPrinting);
}

// ----- printer list -----------------------------------------------------------

TStringList* TdxPrintDevice::Printers()
{
    if (!m_printers) {
        auto list = std::make_unique<TStringList>();
        std::vector<TPrinterInfo> printers;
        try {
            printers = m_backend->Printers();
        } catch (const std::exception&) {
            printers.clear();
        }
        for (const TPrinterInfo& p : printers) {
            auto info = std::make_unique<TdxPrintDeviceInfo>(p.Name, p.Driver, p.Port, p.Comment, p.Location);
            list->AddObject(p.Name, info.get());
            m_printerInfos.push_back(std::move(info));
        }
        m_printers = std::move(list);
    }
    return m_printers.get();
}

TdxPrintDeviceInfo* TdxPrintDevice::PrinterInfo(int Index)
{
    TStringList* list = Printers();
    if (Index < 0 || Index >= list->Count())
        throw EdxPrintDevice(sPrinterIndexOutOfRange);
    return static_cast<TdxPrintDeviceInfo*>(list->Objects(Index));
}

bool TdxPrintDevice::HasPrinters()
{
    return Printers()->Count() > 0;
}

bool TdxPrintDevice::Ready()
{
    if (!HasPrinters())
        return false;
    if (m_printerIndex == dxUnknownPrinterIndex)
        ResolveDefaultPrinter();
    return m_devMode != nullptr;
}

int TdxPrintDevice::PrinterIndex()
{
    if (m_printerIndex == dxUnknownPrinterIndex)
        ResolveDefaultPrinter();
    return m_printerIndex;
}

void TdxPrintDevice::ResolveDefaultPrinter()
{
    SelectPrinter(DefaultPrinterIndex(), false);
}

int TdxPrintDevice::DefaultPrinterIndex()
{
    std::string name;
    try {
        name = m_backend->DefaultPrinter();
    } catch (const std::exception&) {
        name.clear();
    }
    if (name.empty()) {
        const std::string device = ProfileDevice();
        name = device.substr(0, device.find(','));
    }
    TStringList* list = Printers();
    for (int i = 0; i < list->Count(); ++i)
        if (!name.empty() && SameText(PrinterInfo(i)->Device(), name))
            return i;
    throw EdxPrintDevice(sNoDefaultPrinter);
}

void TdxPrintDevice::SetPrinterIndex(int Value)
{
    CheckPrinting(false);
    if (Value == -1) {
        // The default printer, selected anew even when it is the current one.
        SelectPrinter(DefaultPrinterIndex(), true);
    } else {
        if (Value < -1 || Value >= Printers()->Count())
            throw EdxPrintDevice(sPrinterIndexOutOfRange);
        SelectPrinter(Value, false);
    }
    SetDCState(dcsNone);
}

void TdxPrintDevice::SelectPrinter(int Index, bool Again)
{
    if (Index == m_printerIndex && !Again)
        return;
    // Settings carried over to the new printer.
    std::optional<TDeviceMode> old;
    std::optional<std::pair<int, int>> oldSize;
    if (m_devMode) {
        old = *m_devMode;
        const int current = CurrentPaperIndex();
        if (current >= 0 && current < Papers()->Count())
            oldSize = std::make_pair(PaperInfo(current)->Width(), PaperInfo(current)->Height());
    }

    FreePrinter();
    const TdxPrintDeviceInfo* info = PrinterInfo(Index);
    TDeviceMode mode;
    bool opened = false;
    try {
        opened = m_backend->DefaultDeviceMode(info->Device(), mode);
    } catch (const std::exception&) {
        opened = false;
    }
    if (!opened)
        return;
    m_deviceName = info->Device();
    m_driverName = info->Driver();
    m_portName = info->Port();
    m_devMode = std::make_unique<TDeviceMode>(mode);
    m_printerIndex = Index;
    m_capabilities = {};
    m_capabilities.Set(pcOrientation, (mode.Fields & DM_ORIENTATION) != 0);
    m_capabilities.Set(pcCopies, (mode.Fields & DM_COPIES) != 0);
    m_capabilities.Set(pcCollation, (mode.Fields & DM_COLLATE) != 0);
    try {
        m_limits = m_backend->Limits(m_deviceName);
    } catch (const std::exception&) {
        m_limits = TPrinterLimits{};
    }
    m_maxCopies = m_limits.MaxCopies;
    AdjustExtents();

    if (old) {
        // Only what the old printer really had set: a field it did not know
        // holds no value worth carrying (duplex 0 would become -1, copies 0).
        if ((old->Fields & DM_COPIES) && old->Copies >= 1)
            SetCopies(old->Copies);
        if ((old->Fields & DM_DUPLEX) && old->Duplex >= DMDUP_SIMPLEX && old->Duplex <= DMDUP_HORIZONTAL)
            SetDuplex(old->Duplex - 1);
        if ((old->Fields & DM_ORIENTATION)
            && (old->Orientation == DMORIENT_PORTRAIT || old->Orientation == DMORIENT_LANDSCAPE))
            SetOrientation(static_cast<TdxPrinterOrientation>(old->Orientation - 1));
        if ((old->Fields & DM_PAPERSIZE) && old->PaperSize > 0) {
            // Codes from 256 on belong to one printer: another printer may
            // use the same code for another paper, so those go by size.
            const bool byCode = old->PaperSize < CustomPaperCode && SetPaperByCode(old->PaperSize);
            if (!byCode && oldSize) {
                int width = oldSize->first, height = oldSize->second;
                SetPaperBySize(width, height);
            }
        }
        if ((old->Fields & DM_DEFAULTSOURCE) && old->DefaultSource > 0)
            SetBinByCode(old->DefaultSource);
    }
    if (OnPrinterChange)
        OnPrinterChange(this);
}

void TdxPrintDevice::FreePrinter()
{
    SetDCState(dcsNone);
    m_deviceName.clear();
    m_driverName.clear();
    m_portName.clear();
    m_bins.reset();
    m_binInfos.clear();
    m_papers.reset();
    m_paperInfos.clear();
    m_devMode.reset();
    m_devModeChanged = false;
    m_capabilities = {};
    m_maxCopies = 0;
    m_limits = TPrinterLimits{};
    m_maxExtent[0] = m_maxExtent[1] = m_minExtent[0] = m_minExtent[1] = 0;
    m_printerIndex = dxUnknownPrinterIndex;
}

void TdxPrintDevice::FreePrinterList()
{
    m_printers.reset();
    m_printerInfos.clear();
}

void TdxPrintDevice::Refresh()
{
    // The running job keeps its printer; the list is rebuilt after it.
    if (m_printing)
        return;
    std::optional<TDeviceMode> remembered;
    std::string device, port;
    if (m_devMode) {
        remembered = *m_devMode;
        device = m_deviceName;
        port = m_portName;
    }
    FreePrinter();
    FreePrinterList();
    TStringList* list = Printers();
    if (remembered) {
        int found = -1;
        for (int i = 0; i < list->Count() && found < 0; ++i) {
            const TdxPrintDeviceInfo* info = PrinterInfo(i);
            if (SameText(info->Device(), device) && (info->Port().empty() || SameText(info->Port(), port)))
                found = i;
        }
        if (found >= 0) {
            SelectPrinter(found, false);
            if (m_devMode) {
                *m_devMode = *remembered;
                m_capabilities = {};
                m_capabilities.Set(pcOrientation, (remembered->Fields & DM_ORIENTATION) != 0);
                m_capabilities.Set(pcCopies, (remembered->Fields & DM_COPIES) != 0);
                m_capabilities.Set(pcCollation, (remembered->Fields & DM_COLLATE) != 0);
            }
        } else if (list->Count() > 0) {
            ResolveDefaultPrinter();
        }
    }
    if (OnRefresh)
        OnRefresh(this);
}

std::string TdxPrintDevice::GetDeviceName()
{
    Ready();
    return m_deviceName;
}

TPrinterStatus TdxPrintDevice::GetPrinterStatus(int Index)
{
    try {
        return m_backend->Status(PrinterInfo(Index)->Device());
    } catch (const EdxPrintDevice&) {
        throw;
    } catch (const std::exception&) {
        return TPrinterStatus{};
    }
}

// ----- papers and bins -----------------------------------------------------------

TStringList* TdxPrintDevice::Papers()
{
    if (m_papers)
        return m_papers.get();
    const bool havePrinters = HasPrinters();
    // Resolving the printer may select one and so free the papers: settle
    // it before building.
    const bool ready = havePrinters && Ready();
    if (m_papers)
        return m_papers.get();
    auto list = std::make_unique<TStringList>();
    auto add = [&](int Code, const std::string& Name, int Width, int Height) {
        auto info = std::make_unique<TdxPaperInfo>(this, Code, Name, Width, Height);
        list->AddObject(Name, info.get());
        m_paperInfos.push_back(std::move(info));
    };
    if (!havePrinters) {
        add(CustomPaperCode, sCustomSize, 2100, 2970);
    } else if (ready) {
        std::optional<std::vector<TPrinterPaper>> papers;
        try {
            papers = m_backend->Papers(m_deviceName);
        } catch (const std::exception&) {
            papers.reset();
        }
        if (papers && papers->empty()) {
            add(CustomPaperCode, sCustomSize, 2100, 2970);
        } else if (papers) {
            std::optional<std::pair<int, int>> letter;
            for (const TPrinterPaper& p : *papers) {
                add(p.Code, p.Name, p.Width, p.Height);
                if (p.Code == LetterPaperCode && !letter)
                    letter = std::make_pair(p.Width, p.Height);
            }
            if (!ContainsText(papers->back().Name, "Custom")) {
                // The custom paper starts with the size of Letter, or of the
                // first paper when the printer has no Letter.
                const auto size = letter ? *letter : std::make_pair(papers->front().Width, papers->front().Height);
                add(CustomPaperCode, sCustomSize, size.first, size.second);
            }
        }
    }
    m_papers = std::move(list);
    // The extents take in every paper, so they change once the list exists.
    if (m_devMode)
        AdjustExtents();
    return m_papers.get();
}

TdxPaperInfo* TdxPrintDevice::PaperInfo(int Index)
{
    TStringList* list = Papers();
    if (Index < 0 || Index >= list->Count())
        return nullptr;
    return static_cast<TdxPaperInfo*>(list->Objects(Index));
}

TStringList* TdxPrintDevice::Bins()
{
    if (m_bins)
        return m_bins.get();
    const bool havePrinters = HasPrinters();
    const bool ready = havePrinters && Ready();
    if (m_bins)
        return m_bins.get();
    auto list = std::make_unique<TStringList>();
    auto add = [&](int Code, const std::string& Name) {
        auto info = std::make_unique<TdxBinInfo>(Code);
        list->AddObject(Name, info.get());
        m_binInfos.push_back(std::move(info));
    };
    if (!havePrinters) {
        add(DefaultTrayCode, sDefaultTray);
    } else if (ready) {
        std::optional<std::vector<TPrinterBin>> bins;
        try {
            bins = m_backend->Bins(m_deviceName);
        } catch (const std::exception&) {
            bins.reset();
        }
        if (bins)
            for (const TPrinterBin& b : *bins)
                add(b.Code, b.Name);
    }
    m_bins = std::move(list);
    return m_bins.get();
}

int TdxPrintDevice::BinCode(int Index)
{
    TStringList* list = Bins();
    if (Index < 0 || Index >= list->Count())
        return 0;
    return static_cast<TdxBinInfo*>(list->Objects(Index))->Code();
}

int TdxPrintDevice::IndexOfPaper(int Code)
{
    TStringList* list = Papers();
    for (int i = 0; i < list->Count(); ++i)
        if (PaperInfo(i)->DMPaper() == Code)
            return i;
    return -1;
}

int TdxPrintDevice::IndexOfPaperBySize(int Width, int Height)
{
    TStringList* list = Papers();
    for (int i = 0; i < list->Count(); ++i)
        if (PaperInfo(i)->Width() == Width && PaperInfo(i)->Height() == Height)
            return i;
    return list->Count() - 1;
}

int TdxPrintDevice::IndexOfBin(int Code)
{
    TStringList* list = Bins();
    for (int i = 0; i < list->Count(); ++i)
        if (BinCode(i) == Code)
            return i;
    return -1;
}

int TdxPrintDevice::CurrentPaperIndex()
{
    if (!Ready())
        return 0;
    int index = IndexOfPaper(m_devMode->PaperSize);
    if (index == -1 && Papers()->Count() > 0)
        index = 0;
    return index;
}

void TdxPrintDevice::SetPaperIndex(int Index)
{
    if (!Ready())
        return;
    const int count = Papers()->Count();
    if (Index < 0 || Index >= count)
        return;
    m_devMode->PaperSize = PaperInfo(Index)->DMPaper();
    m_devMode->Fields |= DM_PAPERSIZE;
    if (Index == count - 1)
        m_devMode->Fields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    MarkChanged();
}

void TdxPrintDevice::SetBinIndex(int Index)
{
    if (!Ready())
        return;
    if (Index < 0 || Index >= Bins()->Count())
        return;
    const int code = BinCode(Index);
    if (code == m_devMode->DefaultSource)
        return;
    m_devMode->DefaultSource = code;
    m_devMode->Fields |= DM_DEFAULTSOURCE;
    MarkChanged();
}

bool TdxPrintDevice::SetPaperByCode(int Code)
{
    const int index = IndexOfPaper(Code);
    if (index >= 0)
        SetPaperIndex(index);
    return index >= 0;
}

bool TdxPrintDevice::SetBinByCode(int Code)
{
    const int index = IndexOfBin(Code);
    if (index >= 0)
        SetBinIndex(index);
    return index >= 0;
}

bool TdxPrintDevice::SetPaperBySize(int& Width, int& Height)
{
    const int index = IndexOfPaperBySize(Width, Height);
    if (index < 0)
        return false;
    SetPaperIndex(index);
    if (!m_devMode)
        return true;
    const int last = Papers()->Count() - 1;
    if (index != last) {
        m_devMode->PaperWidth = 0;
        m_devMode->PaperLength = 0;
        return true;
    }
    Width = std::clamp(Width, GetMinExtent(0), GetMaxExtent(0));
    Height = std::clamp(Height, GetMinExtent(1), GetMaxExtent(1));
    TdxPaperInfo* custom = PaperInfo(last);
    if (Width != m_devMode->PaperWidth)
        custom->SetSize(0, Width);
    if (Height != m_devMode->PaperLength)
        custom->SetSize(1, Height);
    return true;
}

bool TdxPrintDevice::IsAutoSelectBin(int Index)
{
    TStringList* list = Bins();
    return Index >= 0 && Index < list->Count() && ContainsText(list->Get(Index), "Auto");
}

bool TdxPrintDevice::IsEnvelopePaper(int Index)
{
    TStringList* list = Papers();
    return Index >= 0 && Index < list->Count() && ContainsText(list->Get(Index), "Env");
}

// ----- capabilities and device mode values --------------------------------------

void TdxPrintDevice::AdjustExtents()
{
    int maxW = m_limits.MaxWidth, maxL = m_limits.MaxLength;
    int minW = m_limits.MinWidth, minL = m_limits.MinLength;
    if (maxW <= 0 || maxL <= 0)
        maxW = maxL = 7620;
    if (minW <= 0 || minL <= 0)
        minW = minL = 254;
    if (m_papers) {
        for (const auto& p : m_paperInfos) {
            if (p->Width() <= 0 || p->Height() <= 0)
                continue;
            minW = std::min(minW, p->Width());
            maxW = std::max(maxW, p->Width());
            minL = std::min(minL, p->Height());
            maxL = std::max(maxL, p->Height());
        }
    }
    minW = std::max(minW, 500);
    minL = std::max(minL, 500);
    maxW = std::max(maxW, minW);
    maxL = std::max(maxL, minL);
    m_maxExtent[0] = maxW;
    m_maxExtent[1] = maxL;
    m_minExtent[0] = minW;
    m_minExtent[1] = minL;
}

int TdxPrintDevice::GetMaxExtent(int Index)
{
    if (!Ready())
        return 5000;
    Papers();
    return m_maxExtent[Index == 0 ? 0 : 1];
}

int TdxPrintDevice::GetMinExtent(int Index)
{
    if (!Ready())
        return 500;
    Papers();
    return m_minExtent[Index == 0 ? 0 : 1];
}

int TdxPrintDevice::GetDeviceCaps(int Index)
{
    if (m_dcState == dcsNone)
        SetDCState(dcsIC);
    return Canvas()->GetDeviceCaps(Index);
}

int TdxPrintDevice::GetPhysicalOffset(int Index)
{
    if (!HasPrinters())
        return 0;
    return GetDeviceCaps(Index == 0 ? PHYSICALOFFSETX : PHYSICALOFFSETY);
}

int TdxPrintDevice::HorzRes()
{
    return GetDeviceCaps(HORZRES);
}

int TdxPrintDevice::VertRes()
{
    return GetDeviceCaps(VERTRES);
}

TdxPrintDeviceCapabilities TdxPrintDevice::Capabilities()
{
    return Ready() ? m_capabilities : TdxPrintDeviceCapabilities{};
}

int TdxPrintDevice::MaxCopies()
{
    return Ready() ? m_maxCopies : 0;
}

int TdxPrintDevice::GetCopies()
{
    return Ready() ? m_devMode->Copies : 0;
}

void TdxPrintDevice::SetCopies(int Value)
{
    CheckPrinting(false);
    if (!Ready())
        return;
    m_devMode->Copies = Value;
    m_devMode->Fields |= DM_COPIES;
    MarkChanged();
}

bool TdxPrintDevice::GetCollate()
{
    return Ready() && m_devMode->Collate == DMCOLLATE_TRUE;
}

void TdxPrintDevice::SetCollate(bool Value)
{
    if (!Ready())
        return;
    m_devMode->Collate = Value ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
    m_devMode->Fields |= DM_COLLATE;
    MarkChanged();
}

void TdxPrintDevice::SetDuplex(int Value)
{
    if (!Ready() || !(m_devMode->Fields & DM_DUPLEX))
        return;
    m_devMode->Duplex = Value + 1;
    m_devMode->Fields |= DM_DUPLEX;
    MarkChanged();
}

void TdxPrintDevice::SetOrientation(TdxPrinterOrientation Value)
{
    if (!Ready())
        return;
    m_devMode->Orientation = Value == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    m_devMode->Fields |= DM_ORIENTATION;
    MarkChanged();
}

void TdxPrintDevice::SetColor(int Value)
{
    if (!Ready())
        return;
    m_devMode->Color = Value == 0 ? DMCOLOR_MONOCHROME : DMCOLOR_COLOR;
    m_devMode->Fields |= DM_COLOR;
    MarkChanged();
}

TDeviceMode* TdxPrintDevice::DeviceMode()
{
    return Ready() ? m_devMode.get() : nullptr;
}

// ----- device context and canvas ------------------------------------------------------

void TdxPrintDevice::ReleaseCanvas()
{
    if (!m_canvas)
        return;
    if (m_infoContext)
        m_infoContext->UnbindCanvas(*m_canvas);
    if (m_job)
        m_job->UnbindCanvas(*m_canvas);
}

void TdxPrintDevice::SetDCState(TDCState Value)
{
    if (Value == m_dcState)
        return;
    if (Value == dcsNone) {
        CheckPrinting(false);
        ReleaseCanvas();
        m_infoContext.reset();
        m_dcState = dcsNone;
        return;
    }
    // An information context is asked for: a device context serves too.
    if (m_dcState == dcsDC)
        return;
    if (!Ready())
        throw EdxPrintDevice(sPrinterNotValid);
    TDeviceCaps caps;
    try {
        caps = m_backend->PageCaps(m_deviceName, *m_devMode);
    } catch (const std::exception&) {
        throw EdxPrintDevice(sPrinterNotValid);
    }
    m_infoContext = std::make_unique<TPrinterInfoContext>(caps);
    m_dcState = dcsIC;
    if (m_canvas) {
        m_infoContext->BindCanvas(*m_canvas);
        m_canvas->MatchFontResolution();
    }
}

TdxPrintDeviceCanvas* TdxPrintDevice::Canvas()
{
    if (!m_canvas) {
        m_canvas = std::make_unique<TdxPrintDeviceCanvas>(this);
        if (m_dcState == dcsNone) {
            // Without a usable printer the canvas stays without a device.
            try {
                SetDCState(dcsIC);
            } catch (const Exception&) {
            }
        } else if (m_infoContext) {
            m_infoContext->BindCanvas(*m_canvas);
            m_canvas->MatchFontResolution();
        } else if (m_job) {
            m_job->BindCanvas(*m_canvas);
            m_canvas->MatchFontResolution();
        }
    }
    return m_canvas.get();
}

// ----- job ----------------------------------------------------------------------------------

int TdxPrintDevice::BeginDoc()
{
    ProcessWaitingMessages();
    CheckPrinting(false);
    SetDCState(dcsNone);
    if (!Ready())
        throw EdxPrintDevice(sPrinterNotValid);
    TdxPrintDeviceCanvas* canvas = Canvas();
    std::unique_ptr<TPrintJob> job;
    try {
        // The print-to-file name goes with the job: the output goes there.
        job = m_backend->StartDoc(m_deviceName, *m_devMode, TDocInfo{m_title, m_outputFileName});
        job->StartPage(*m_devMode);
        job->BindCanvas(*canvas);
    } catch (const std::exception&) {
        if (job)
            job->Abort();
        m_printing = false;
        m_aborted = false;
        m_pageNumber = 0;
        m_dcState = dcsNone;
        return -1;
    }
    m_job = std::move(job);
    m_dcState = dcsDC;
    m_devModeChanged = false;
    canvas->MatchFontResolution();
    m_printing = true;
    m_aborted = false;
    m_pageNumber = 1;
    return ++m_jobCount;
}

void TdxPrintDevice::NewPage()
{
    CheckPrinting(true);
    try {
        m_job->EndPage();
    } catch (const std::exception& e) {
        throw EdxPrintDevice(e.what());
    }
    ++m_pageNumber;
    // A cancel button (a waiting message or OnNewPage) may end this job and
    // even start another one: then the break has nothing left to start.
    const int job = m_jobCount;
    auto jobEnded = [this, job] { return !m_printing || m_jobCount != job; };
    ProcessWaitingMessages();
    if (jobEnded())
        return;
    if (OnNewPage)
        OnNewPage(this);
    if (jobEnded())
        return;
    // Settings changed during the job take effect from this page on; the
    // canvas keeps its font, pen, brush and pen position.
    m_devModeChanged = false;
    try {
        m_job->StartPage(*m_devMode);
        m_job->BindCanvas(*Canvas());
    } catch (const std::exception& e) {
        throw EdxPrintDevice(e.what());
    }
}

void TdxPrintDevice::DropJob()
{
    if (m_job) {
        if (m_canvas)
            m_job->UnbindCanvas(*m_canvas);
        m_job->Abort();
        m_job.reset();
    }
}

void TdxPrintDevice::EndDoc()
{
    CheckPrinting(true);
    std::unique_ptr<TPrintJob> job = std::move(m_job);
    Finally reset([&] {
        if (job && m_canvas)
            job->UnbindCanvas(*m_canvas);
        // Destroying a job that was not delivered drops it.
        job.reset();
        m_printing = false;
        m_aborted = false;
        m_dcState = dcsNone;
        m_pageNumber = 0;
        m_outputFileName.clear();
    });
    if (m_aborted) {
        job->Abort();
        return;
    }
    try {
        job->EndPage();
        job->EndDoc();
    } catch (const std::exception& e) {
        job->Abort();
        throw EdxPrintDevice(e.what());
    }
}

void TdxPrintDevice::Abort()
{
    CheckPrinting(true);
    m_job->Abort();
    m_aborted = true;
    EndDoc();
}

bool TdxPrintDevice::ShowPropertiesDialog(TWinControl*)
{
    if (!Ready())
        return false;
    TDeviceMode copy = *m_devMode;
    if (!m_backend->PropertiesDialog(m_deviceName, copy))
        return false;
    *m_devMode = copy;
    MarkChanged();
    return true;
}

// ============================================================================
// Process-wide instance

namespace {

std::unique_ptr<TdxPrintDevice>& Instance()
{
    static std::unique_ptr<TdxPrintDevice> instance;
    return instance;
}

std::function<std::unique_ptr<TPrinterBackend>()>& BackendFactory()
{
    static std::function<std::unique_ptr<TPrinterBackend>()> factory;
    return factory;
}

} // namespace

TdxPrintDevice* dxPrintDeviceInstance(int AccessCode)
{
    std::unique_ptr<TdxPrintDevice>& instance = Instance();
    switch (AccessCode) {
    case 0:
        break;
    case 1:
        if (!instance)
            instance = std::make_unique<TdxPrintDevice>(BackendFactory() ? BackendFactory()() : nullptr);
        break;
    case 2:
        instance.reset();
        break;
    default:
        throw EdxPrintDevice("Illegal AccessCode " + std::to_string(AccessCode) + " in GetInstance");
    }
    return instance.get();
}

TdxPrintDevice* dxPrintDevice()
{
    return dxPrintDeviceInstance(1);
}

void dxSetPrintDeviceBackendFactory(std::function<std::unique_ptr<TPrinterBackend>()> Factory)
{
    BackendFactory() = std::move(Factory);
}

bool dxIsPrinterInstalled(bool RaiseOnError)
{
    TdxPrintDevice* device = dxPrintDevice();
    if (device->Printers()->Count() == 0)
        return false;
    try {
        device->HorzRes();
        return true;
    } catch (const Exception&) {
        if (RaiseOnError)
            throw;
        return false;
    }
}

bool dxShowPrinterPropertiesDialog(TWinControl* ParentWindow)
{
    return dxPrintDevice()->ShowPropertiesDialog(ParentWindow);
}

bool dxConnectToNetworkPrinter(TWinControl*)
{
    return false;
}

} // namespace qel
