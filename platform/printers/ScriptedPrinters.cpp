#include "platform/printers/ScriptedPrinters.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"
#include "platform/printers/PdfPrintJob.h"

namespace qel {

namespace {

class TRecordingJob : public TPrintJob {
public:
    TRecordingJob(std::shared_ptr<TScriptedJob> Record, std::unique_ptr<TPdfPrintJob> Inner,
                  TScriptedPrinterBackend& Backend)
        : m_record(std::move(Record)), m_inner(std::move(Inner)), m_backend(Backend)
    {
    }
    ~TRecordingJob() override
    {
        if (!m_record->Delivered)
            m_record->Aborted = true;
    }

    int JobId() const override { return m_inner->JobId(); }
    void StartPage(const TDeviceMode& Mode) override
    {
        m_record->PageModes.push_back(Mode);
        m_inner->StartPage(Mode);
    }
    void BindCanvas(TCanvas& Canvas) override { m_inner->BindCanvas(Canvas); }
    void UnbindCanvas(TCanvas& Canvas) override { m_inner->UnbindCanvas(Canvas); }
    void EndPage() override
    {
        if (m_backend.FailEndPage == static_cast<int>(m_record->PageModes.size()))
            throw EPrinter("The page could not be finished");
        m_inner->EndPage();
        ++m_record->PagesEnded;
    }
    void EndDoc() override
    {
        if (m_backend.FailEndDoc)
            throw EPrinter("The document could not be delivered");
        m_inner->EndDoc();
    }
    void Abort() override
    {
        m_inner->Abort();
        m_record->Aborted = true;
    }

private:
    std::shared_ptr<TScriptedJob> m_record;
    std::unique_ptr<TPdfPrintJob> m_inner;
    TScriptedPrinterBackend& m_backend;
};

} // namespace

TScriptedPrinter TScriptedPrinterBackend::MakePrinter(const std::string& Name)
{
    TScriptedPrinter p;
    p.Info = TPrinterInfo{Name, "Scripted", "lpt:" + Name, "", ""};
    p.Papers = std::vector<TPrinterPaper>{
        TPrinterPaper{9, "A4", 2100, 2970, 50, 50, 50, 50, "iso_a4_210x297mm"},
        TPrinterPaper{1, "Letter", 2159, 2794, 50, 50, 50, 50, "na_letter_8.5x11in"},
        TPrinterPaper{256, "Custom Size", 2100, 2970, 50, 50, 50, 50, ""},
    };
    p.Bins = std::vector<TPrinterBin>{TPrinterBin{DMBIN_AUTO, "Automatisch", "auto"},
                                      TPrinterBin{DMBIN_MANUAL, "Manuell", "manual"}};
    p.Limits.MaxCopies = 99;
    p.Limits.Collate = true;
    p.Limits.MinWidth = 900;
    p.Limits.MinLength = 1200;
    p.Limits.MaxWidth = 3000;
    p.Limits.MaxLength = 4300;
    p.Limits.Resolution = 300;
    p.Mode.DeviceName = Name;
    p.Mode.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_COLLATE
                    | DM_DEFAULTSOURCE | DM_COLOR | DM_DUPLEX;
    p.Mode.PaperSize = 9;
    p.Mode.PaperWidth = 2100;
    p.Mode.PaperLength = 2970;
    return p;
}

TScriptedPrinter* TScriptedPrinterBackend::Find(const std::string& Name)
{
    for (TScriptedPrinter& p : List)
        if (p.Info.Name == Name)
            return &p;
    return nullptr;
}

std::vector<TPrinterInfo> TScriptedPrinterBackend::Printers()
{
    ++PrintersCalls;
    std::vector<TPrinterInfo> result;
    for (const TScriptedPrinter& p : List)
        result.push_back(p.Info);
    return result;
}

TPrinterStatus TScriptedPrinterBackend::Status(const std::string& Name)
{
    TScriptedPrinter* p = Find(Name);
    return p ? p->Status : TPrinterStatus{};
}

bool TScriptedPrinterBackend::DefaultDeviceMode(const std::string& Name, TDeviceMode& Mode)
{
    TScriptedPrinter* p = Find(Name);
    if (!p || !p->CanOpen)
        return false;
    Mode = p->Mode;
    return true;
}

std::optional<std::vector<TPrinterPaper>> TScriptedPrinterBackend::Papers(const std::string& Name)
{
    TScriptedPrinter* p = Find(Name);
    return p ? p->Papers : std::nullopt;
}

std::optional<std::vector<TPrinterBin>> TScriptedPrinterBackend::Bins(const std::string& Name)
{
    TScriptedPrinter* p = Find(Name);
    return p ? p->Bins : std::nullopt;
}

TPrinterLimits TScriptedPrinterBackend::Limits(const std::string& Name)
{
    TScriptedPrinter* p = Find(Name);
    return p ? p->Limits : TPrinterLimits{};
}

std::unique_ptr<TPrintJob> TScriptedPrinterBackend::StartDoc(const std::string& Name, const TDeviceMode& Mode,
                                                             const TDocInfo& Doc)
{
    TScriptedPrinter* p = Find(Name);
    if (!p || FailStartDoc)
        throw EPrinter("The job could not start");
    auto record = std::make_shared<TScriptedJob>();
    record->Printer = Name;
    record->Doc = Doc;
    Jobs.push_back(record);
    const int jobId = static_cast<int>(Jobs.size());
    auto inner = std::make_unique<TPdfPrintJob>(
        Doc.Title, p->Limits.Resolution, [this, Name](const TDeviceMode& M) { return PaperOf(Name, M); },
        [record, jobId, output = Doc.Output](const std::string& Bytes) {
            if (!output.empty())
                SafeWriteFile(output, [&](TStream& S) { S.WriteBytes(Bytes); });
            record->Document = Bytes;
            record->Delivered = true;
            return output.empty() ? jobId : 0;
        });
    (void)Mode;
    return std::make_unique<TRecordingJob>(record, std::move(inner), *this);
}

} // namespace qel
