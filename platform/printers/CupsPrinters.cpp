#include "platform/printers/CupsPrinters.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"
#include "platform/printers/PdfPrintJob.h"

#include <cups/cups.h>
#include <cups/pwg.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>

namespace qel {

namespace {

struct MediaCode {
    const char* Pwg;
    int Code;
};

// Standard media names and the paper codes they stand for.
constexpr MediaCode KnownMedia[] = {
    {"na_letter_8.5x11in", 1}, {"na_ledger_11x17in", 3}, {"na_legal_8.5x14in", 5},
    {"na_invoice_5.5x8.5in", 6}, {"na_executive_7.25x10.5in", 7}, {"iso_a3_297x420mm", 8},
    {"iso_a4_210x297mm", 9}, {"iso_a5_148x210mm", 11}, {"jis_b4_257x364mm", 12},
    {"jis_b5_182x257mm", 13}, {"na_foolscap_8.5x13in", 14}, {"na_10x14_10x14in", 16},
    {"na_number-9_3.875x8.875in", 19}, {"na_number-10_4.125x9.5in", 20},
    {"na_number-11_4.5x10.375in", 21}, {"na_number-12_4.75x11in", 22},
    {"na_number-14_5x11.5in", 23}, {"na_c_17x22in", 24}, {"na_d_22x34in", 25},
    {"na_e_34x44in", 26}, {"iso_dl_110x220mm", 27}, {"iso_c5_162x229mm", 28},
    {"iso_c3_324x458mm", 29}, {"iso_c4_229x324mm", 30}, {"iso_c6_114x162mm", 31},
    {"iso_c6c5_114x229mm", 32}, {"iso_b5_176x250mm", 34}, {"iso_b6_125x176mm", 35},
    {"om_italian_110x230mm", 36}, {"na_monarch_3.875x7.5in", 37}, {"na_personal_3.625x6.5in", 38},
    {"na_fanfold-us_11x14.875in", 39}, {"na_fanfold-eur_8.5x12in", 40}, {"iso_b4_250x353mm", 42},
    {"jpn_hagaki_100x148mm", 43}, {"na_9x11_9x11in", 44}, {"na_10x11_10x11in", 45},
    {"om_invite_220x220mm", 47}, {"na_letter-extra_9.5x12in", 50}, {"na_legal-extra_9.5x15in", 51},
    {"iso_a4-extra_235.5x322.3mm", 53}, {"na_super-a_8.94x14in", 57}, {"na_super-b_13x19in", 58},
    {"na_letter-plus_8.5x12.69in", 59}, {"om_folio_210x330mm", 60}, {"iso_a3-extra_322x445mm", 63},
    {"iso_a5-extra_174x235mm", 64}, {"iso_b5-extra_201x276mm", 65}, {"iso_a2_420x594mm", 66},
    {"jpn_oufuku_148x200mm", 69}, {"iso_a6_105x148mm", 70}, {"jis_b6_128x182mm", 88},
    {"prc_16k_146x215mm", 93}, {"prc_32k_97x151mm", 94}, {"prc_1_102x165mm", 96},
    {"prc_2_102x176mm", 97}, {"prc_3_125x176mm", 98}, {"prc_4_110x208mm", 99},
    {"prc_5_110x220mm", 100}, {"prc_7_160x230mm", 102}, {"prc_8_120x309mm", 103},
};

struct SourceCode {
    const char* Keyword;
    int Code;
};

constexpr SourceCode KnownSources[] = {
    {"auto", DMBIN_AUTO}, {"main", DMBIN_UPPER}, {"top", DMBIN_UPPER}, {"tray-1", DMBIN_UPPER},
    {"bottom", DMBIN_LOWER}, {"tray-2", DMBIN_LOWER}, {"middle", DMBIN_MIDDLE}, {"tray-3", DMBIN_MIDDLE},
    {"manual", DMBIN_MANUAL}, {"envelope", DMBIN_ENVELOPE}, {"large-capacity", DMBIN_LARGECAPACITY},
};

// Hundredths of a millimetre (IPP) to tenths.
int Tenths(int Hundredths)
{
    return (Hundredths + 5) / 10;
}

std::string WithoutBorderless(std::string Media)
{
    const std::string mark = "_borderless";
    if (Media.size() > mark.size() && Media.compare(Media.size() - mark.size(), mark.size(), mark) == 0)
        Media.resize(Media.size() - mark.size());
    return Media;
}

// A name CUPS found in a message catalogue; without one it answers the keyword.
std::optional<std::string> Localized(const char* Display, const std::string& Keyword)
{
    if (!Display || !*Display || Keyword == Display)
        return std::nullopt;
    return std::string(Display);
}

// "large-capacity" -> "Large capacity".
std::string Words(std::string Keyword)
{
    std::replace(Keyword.begin(), Keyword.end(), '-', ' ');
    if (!Keyword.empty() && Keyword[0] >= 'a' && Keyword[0] <= 'z')
        Keyword[0] = static_cast<char>(Keyword[0] - 'a' + 'A');
    return Keyword;
}

std::string Option(const cups_dest_t* Dest, const char* Name)
{
    const char* value = cupsGetOption(Name, Dest->num_options, Dest->options);
    return value ? value : "";
}

} // namespace

int PaperCodeOfMedia(const std::string& PwgName, int Width, int Height,
                     const std::vector<TPrinterPaper>& KnownPapers)
{
    std::string name = PwgName;
    if (const pwg_media_t* media = pwgMediaForPWG(PwgName.c_str()); media && media->pwg)
        name = media->pwg;
    for (const MediaCode& m : KnownMedia)
        if (name == m.Pwg)
            return m.Code;
    // Drivers describe sizes in whole points: a standard paper may arrive a
    // few tenths of a millimetre off.
    constexpr int Tolerance = 10;
    for (const TPrinterPaper& p : KnownPapers)
        if (p.Code > 0 && p.Code < DMPAPER_FIRSTPRINTER && std::abs(p.Width - Width) <= Tolerance
            && std::abs(p.Height - Height) <= Tolerance)
            return p.Code;
    return 0;
}

int BinCodeOfSource(const std::string& Keyword)
{
    for (const SourceCode& s : KnownSources)
        if (Keyword == s.Keyword)
            return s.Code;
    return 0;
}

std::string PaperNameOfMedia(const std::string& PwgName, int Code, const char* Display,
                             const std::vector<TPrinterPaper>& KnownPapers)
{
    if (Code > 0 && Code < DMPAPER_FIRSTPRINTER)
        for (const TPrinterPaper& p : KnownPapers)
            if (p.Code == Code && !p.Name.empty())
                return p.Name;
    if (auto name = Localized(Display, PwgName))
        return *name;
    // A self-describing PWG name: class_name_size, the size as "WxHunit".
    const std::size_t first = PwgName.find('_');
    const std::size_t last = PwgName.rfind('_');
    if (first == std::string::npos || last == first)
        return PwgName;
    const std::string name = PwgName.substr(first + 1, last - first - 1);
    std::string size = PwgName.substr(last + 1);
    const std::size_t unit = size.find_first_not_of("0123456789.x");
    const std::size_t by = size.find('x');
    if (unit == std::string::npos || by == std::string::npos || by > unit)
        return PwgName;
    size = size.substr(0, by) + " x " + size.substr(by + 1, unit - by - 1) + " " + size.substr(unit);
    // Custom sizes are named after their size.
    return name == PwgName.substr(last + 1) ? size : Words(name) + " " + size;
}

std::string BinNameOfSource(const std::string& Keyword, const char* Display)
{
    if (auto name = Localized(Display, Keyword))
        return *name;
    static const std::pair<const char*, const char*> names[] = {
        {"auto", "Automatic"},           {"manual", "Manual feed"},   {"by-pass-tray", "Bypass tray"},
        {"main", "Main tray"},           {"alternate", "Alternate tray"}, {"envelope", "Envelope feeder"},
        {"photo", "Photo tray"},
    };
    for (const auto& [keyword, name] : names)
        if (Keyword == keyword)
            return name;
    return Words(Keyword);
}

std::uint32_t StatusOfStateReasons(int State, const std::string& Reasons)
{
    std::uint32_t status = 0;
    if (State == IPP_PSTATE_STOPPED)
        status |= PRINTER_STATUS_PAUSED;
    else if (State == IPP_PSTATE_PROCESSING)
        status |= PRINTER_STATUS_PRINTING;
    static const std::pair<const char*, std::uint32_t> map[] = {
        {"paused", PRINTER_STATUS_PAUSED}, {"media-empty", PRINTER_STATUS_PAPER_OUT},
        {"media-needed", PRINTER_STATUS_PAPER_OUT}, {"media-jam", PRINTER_STATUS_PAPER_JAM},
        {"toner-low", PRINTER_STATUS_TONER_LOW}, {"marker-supply-low", PRINTER_STATUS_TONER_LOW},
        {"toner-empty", PRINTER_STATUS_NO_TONER}, {"marker-supply-empty", PRINTER_STATUS_NO_TONER},
        {"door-open", PRINTER_STATUS_DOOR_OPEN}, {"cover-open", PRINTER_STATUS_DOOR_OPEN},
        {"offline", PRINTER_STATUS_OFFLINE}, {"shutdown", PRINTER_STATUS_NOT_AVAILABLE},
        {"output-area-full", PRINTER_STATUS_OUTPUT_BIN_FULL}, {"spool-area-full", PRINTER_STATUS_OUT_OF_MEMORY},
        {"moving-to-paused", PRINTER_STATUS_PAUSED}, {"other", PRINTER_STATUS_USER_INTERVENTION},
    };
    std::size_t start = 0;
    while (start <= Reasons.size()) {
        std::size_t end = Reasons.find(',', start);
        if (end == std::string::npos)
            end = Reasons.size();
        std::string reason = Reasons.substr(start, end - start);
        bool error = false;
        for (const char* suffix : {"-report", "-warning", "-error"}) {
            const std::size_t n = std::strlen(suffix);
            if (reason.size() > n && reason.compare(reason.size() - n, n, suffix) == 0) {
                error = std::strcmp(suffix, "-error") == 0;
                reason.resize(reason.size() - n);
                break;
            }
        }
        for (const auto& [keyword, bit] : map)
            if (reason == keyword)
                status |= bit;
        if (error)
            status |= PRINTER_STATUS_ERROR;
        start = end + 1;
    }
    return status;
}

struct TCupsPrinterBackend::Queue {
    cups_dest_t* Dest = nullptr;          // a copy of its own
    cups_dinfo_t* Info = nullptr;         // asked for on first use
    bool InfoAsked = false;
    std::optional<std::vector<TPrinterPaper>> PaperList;
    bool PapersBuilt = false;

    ~Queue()
    {
        if (Info)
            cupsFreeDestInfo(Info);
        if (Dest)
            cupsFreeDests(1, Dest);
    }
    std::string Name() const { return Dest->name; }
    cups_dinfo_t* DestInfo()
    {
        if (!InfoAsked) {
            InfoAsked = true;
            Info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, Dest);
        }
        return Info;
    }
    ipp_attribute_t* Supported(const char* Option)
    {
        cups_dinfo_t* info = DestInfo();
        return info ? cupsFindDestSupported(CUPS_HTTP_DEFAULT, Dest, info, Option) : nullptr;
    }
    ipp_attribute_t* Default(const char* Option)
    {
        cups_dinfo_t* info = DestInfo();
        return info ? cupsFindDestDefault(CUPS_HTTP_DEFAULT, Dest, info, Option) : nullptr;
    }
    bool Supports(const char* Option, const char* Value)
    {
        ipp_attribute_t* attr = Supported(Option);
        for (int i = 0, n = attr ? ippGetCount(attr) : 0; i < n; ++i)
            if (const char* v = ippGetString(attr, i, nullptr); v && std::strcmp(v, Value) == 0)
                return true;
        return false;
    }
};

TCupsPrinterBackend::TCupsPrinterBackend(std::vector<TPrinterPaper> KnownPapers)
    : m_knownPapers(std::move(KnownPapers))
{
}

TCupsPrinterBackend::~TCupsPrinterBackend() = default;

void TCupsPrinterBackend::Clear()
{
    m_queues.clear();
    m_loaded = false;
}

void TCupsPrinterBackend::Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    for (int i = 0; i < count; ++i) {
        if (dests[i].instance)   // instances are option sets of a queue listed already
            continue;
        auto queue = std::make_unique<Queue>();
        cupsCopyDest(&dests[i], 0, &queue->Dest);
        if (queue->Dest)
            m_queues.push_back(std::move(queue));
    }
    cupsFreeDests(count, dests);
}

TCupsPrinterBackend::Queue* TCupsPrinterBackend::Find(const std::string& Name)
{
    Load();
    for (auto& q : m_queues)
        if (q->Name() == Name)
            return q.get();
    return nullptr;
}

std::vector<TPrinterInfo> TCupsPrinterBackend::Printers()
{
    // Each listing asks the scheduler anew: queues come and go.
    Clear();
    Load();
    std::vector<TPrinterInfo> result;
    for (auto& q : m_queues) {
        TPrinterInfo info;
        info.Name = q->Name();
        info.Driver = Option(q->Dest, "printer-make-and-model");
        info.Port = Option(q->Dest, "device-uri");
        info.Comment = Option(q->Dest, "printer-info");
        info.Location = Option(q->Dest, "printer-location");
        result.push_back(std::move(info));
    }
    return result;
}

std::string TCupsPrinterBackend::DefaultPrinter()
{
    Load();
    for (auto& q : m_queues)
        if (q->Dest->is_default)
            return q->Name();
    return {};
}

TPrinterStatus TCupsPrinterBackend::Status(const std::string& Name)
{
    TPrinterStatus status;
    Queue* q = Find(Name);
    if (!q)
        return status;
    status.Status = StatusOfStateReasons(std::atoi(Option(q->Dest, "printer-state").c_str()),
                                         Option(q->Dest, "printer-state-reasons"));
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, Name.c_str(), 0, CUPS_WHICHJOBS_ACTIVE);
    status.JobCount = n > 0 ? n : 0;
    cupsFreeJobs(n > 0 ? n : 0, jobs);
    status.IsDefault = q->Dest->is_default != 0;
    status.IsNetwork = (std::atoi(Option(q->Dest, "printer-type").c_str()) & CUPS_PRINTER_REMOTE) != 0;
    return status;
}

std::optional<std::vector<TPrinterPaper>> TCupsPrinterBackend::Papers(const std::string& Name)
{
    Queue* q = Find(Name);
    if (!q || !q->DestInfo())
        return std::nullopt;
    if (q->PapersBuilt)
        return q->PaperList;
    q->PapersBuilt = true;
    std::vector<TPrinterPaper> papers;
    std::map<std::string, std::size_t> byName;   // media without its borderless mark
    std::set<int> codes;
    int nextPrinterCode = DMPAPER_FIRSTPRINTER + 1;   // 256 stays the custom size
    const int count = cupsGetDestMediaCount(CUPS_HTTP_DEFAULT, q->Dest, q->Info, CUPS_MEDIA_FLAGS_DEFAULT);
    for (int i = 0; i < count; ++i) {
        cups_size_t size{};
        if (!cupsGetDestMediaByIndex(CUPS_HTTP_DEFAULT, q->Dest, q->Info, i, CUPS_MEDIA_FLAGS_DEFAULT, &size))
            continue;
        const std::string media = size.media;
        const std::string base = WithoutBorderless(media);
        const bool isBorderless = base != media;
        // Custom ranges are limits, not papers.
        if (base.rfind("custom_min_", 0) == 0 || base.rfind("custom_max_", 0) == 0)
            continue;
        if (auto seen = byName.find(base); seen != byName.end()) {
            // The same paper with and without borders: the one with its
            // printer's margins is what pages are laid out on.
            TPrinterPaper& kept = papers[seen->second];
            if (!isBorderless) {
                kept.Media = media;
                kept.MarginLeft = Tenths(size.left);
                kept.MarginTop = Tenths(size.top);
                kept.MarginRight = Tenths(size.right);
                kept.MarginBottom = Tenths(size.bottom);
            }
            continue;
        }
        TPrinterPaper paper;
        paper.Width = Tenths(size.width);
        paper.Height = Tenths(size.length);
        if (paper.Width <= 0 || paper.Height <= 0)
            continue;
        paper.Code = PaperCodeOfMedia(base, paper.Width, paper.Height, m_knownPapers);
        if (paper.Code == 0 || codes.count(paper.Code)) {
            paper.Code = nextPrinterCode++;
        } else {
            // A standard paper keeps its standard size, so that it matches
            // the paper table exactly.
            if (const pwg_media_t* pwg = pwgMediaForPWG(base.c_str()); pwg && pwg->width > 0 && pwg->length > 0
                && base.rfind("custom_", 0) != 0) {
                paper.Width = Tenths(pwg->width);
                paper.Height = Tenths(pwg->length);
            } else {
                for (const TPrinterPaper& known : m_knownPapers)
                    if (known.Code == paper.Code) {
                        paper.Width = known.Width;
                        paper.Height = known.Height;
                    }
            }
        }
        codes.insert(paper.Code);
        paper.Name = PaperNameOfMedia(
            base, paper.Code,
            cupsLocalizeDestMedia(CUPS_HTTP_DEFAULT, q->Dest, q->Info, CUPS_MEDIA_FLAGS_DEFAULT, &size),
            m_knownPapers);
        paper.Media = media;
        paper.MarginLeft = Tenths(size.left);
        paper.MarginTop = Tenths(size.top);
        paper.MarginRight = Tenths(size.right);
        paper.MarginBottom = Tenths(size.bottom);
        byName.emplace(base, papers.size());
        papers.push_back(std::move(paper));
    }
    q->PaperList = std::move(papers);
    return q->PaperList;
}

std::optional<std::vector<TPrinterBin>> TCupsPrinterBackend::Bins(const std::string& Name)
{
    Queue* q = Find(Name);
    if (!q || !q->DestInfo())
        return std::nullopt;
    std::vector<TPrinterBin> bins;
    ipp_attribute_t* attr = q->Supported("media-source");
    int nextUserCode = DMBIN_USER;
    for (int i = 0, n = attr ? ippGetCount(attr) : 0; i < n; ++i) {
        const char* keyword = ippGetString(attr, i, nullptr);
        if (!keyword)
            continue;
        TPrinterBin bin;
        bin.Code = BinCodeOfSource(keyword);
        for (const TPrinterBin& b : bins)
            if (b.Code == bin.Code)
                bin.Code = 0;
        if (bin.Code == 0)
            bin.Code = nextUserCode++;
        bin.Name = BinNameOfSource(
            keyword, cupsLocalizeDestValue(CUPS_HTTP_DEFAULT, q->Dest, q->Info, "media-source", keyword));
        bin.Source = keyword;
        bins.push_back(std::move(bin));
    }
    return bins;
}

TPrinterLimits TCupsPrinterBackend::Limits(const std::string& Name)
{
    TPrinterLimits limits;
    Queue* q = Find(Name);
    if (!q || !q->DestInfo())
        return limits;
    if (ipp_attribute_t* copies = q->Supported("copies")) {
        int upper = 1;
        ippGetRange(copies, 0, &upper);
        limits.MaxCopies = upper > 0 ? upper : 1;
    }
    limits.Collate = q->Supports("multiple-document-handling", "separate-documents-collated-copies")
                     || q->Supported("collate") != nullptr;
    if (ipp_attribute_t* media = q->Supported("media")) {
        for (int i = 0, n = ippGetCount(media); i < n; ++i) {
            const char* value = ippGetString(media, i, nullptr);
            if (!value)
                continue;
            const pwg_media_t* pwg = pwgMediaForPWG(value);
            if (!pwg)
                continue;
            if (std::strncmp(value, "custom_min_", 11) == 0) {
                limits.MinWidth = Tenths(pwg->width);
                limits.MinLength = Tenths(pwg->length);
            } else if (std::strncmp(value, "custom_max_", 11) == 0) {
                limits.MaxWidth = Tenths(pwg->width);
                limits.MaxLength = Tenths(pwg->length);
            }
        }
    }
    if (ipp_attribute_t* res = q->Default("printer-resolution")) {
        int yres = 0;
        ipp_res_t units = IPP_RES_PER_INCH;
        int xres = ippGetResolution(res, 0, &yres, &units);
        if (units == IPP_RES_PER_CM)
            xres = static_cast<int>(xres * 2.54 + 0.5);
        if (xres >= 72 && xres <= 2400)
            limits.Resolution = xres;
    }
    return limits;
}

bool TCupsPrinterBackend::DefaultDeviceMode(const std::string& Name, TDeviceMode& Mode)
{
    Queue* q = Find(Name);
    if (!q || !q->DestInfo())
        return false;
    Mode = TDeviceMode{};
    Mode.DeviceName = Name;
    Mode.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
    const auto papers = Papers(Name);
    // The queue's media-default names the paper; cupsGetDestMediaDefault
    // would answer the locale's paper instead.
    std::string defaultMedia;
    int defaultWidth = 0, defaultLength = 0;
    if (ipp_attribute_t* def = q->Default("media"))
        if (const char* keyword = ippGetString(def, 0, nullptr))
            defaultMedia = keyword;
    cups_size_t size{};
    if (defaultMedia.empty()
        && cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, q->Dest, q->Info, CUPS_MEDIA_FLAGS_DEFAULT, &size)) {
        defaultMedia = size.media;
        defaultWidth = Tenths(size.width);
        defaultLength = Tenths(size.length);
    }
    if (papers && !defaultMedia.empty()) {
        const std::string base = WithoutBorderless(defaultMedia);
        for (const TPrinterPaper& p : *papers)
            if (WithoutBorderless(p.Media) == base) {
                Mode.PaperSize = p.Code;
                break;
            }
        if (Mode.PaperSize == 0)
            for (const TPrinterPaper& p : *papers)
                if (std::abs(p.Width - defaultWidth) <= 10 && std::abs(p.Height - defaultLength) <= 10) {
                    Mode.PaperSize = p.Code;
                    break;
                }
    }
    if (Mode.PaperSize == 0 && papers && !papers->empty())
        Mode.PaperSize = papers->front().Code;
    if (papers)
        for (const TPrinterPaper& p : *papers)
            if (p.Code == Mode.PaperSize) {
                Mode.PaperWidth = p.Width;
                Mode.PaperLength = p.Height;
            }
    const TPrinterLimits limits = Limits(Name);
    if (limits.MaxCopies > 1)
        Mode.Fields |= DM_COPIES;
    if (limits.Collate)
        Mode.Fields |= DM_COLLATE;
    if (const auto bins = Bins(Name); bins && !bins->empty()) {
        Mode.Fields |= DM_DEFAULTSOURCE;
        Mode.DefaultSource = bins->front().Code;
        if (ipp_attribute_t* def = q->Default("media-source"))
            if (const char* keyword = ippGetString(def, 0, nullptr))
                for (const TPrinterBin& b : *bins)
                    if (b.Code == BinCodeOfSource(keyword) && b.Code != 0)
                        Mode.DefaultSource = b.Code;
    }
    if (q->Supports("print-color-mode", "color")) {
        Mode.Fields |= DM_COLOR;
        Mode.Color = DMCOLOR_COLOR;
        if (ipp_attribute_t* def = q->Default("print-color-mode"))
            if (const char* v = ippGetString(def, 0, nullptr); v && std::strcmp(v, "color") != 0)
                Mode.Color = DMCOLOR_MONOCHROME;
    } else {
        Mode.Color = DMCOLOR_MONOCHROME;
    }
    if (q->Supports("sides", "two-sided-long-edge")) {
        Mode.Fields |= DM_DUPLEX;
        Mode.Duplex = DMDUP_SIMPLEX;
    }
    return true;
}

namespace {

void WriteFile(const std::string& Target, const std::string& Bytes)
{
    SafeWriteFile(Target, [&](TStream& S) { S.WriteBytes(Bytes); });
}

} // namespace

std::unique_ptr<TPrintJob> TCupsPrinterBackend::StartDoc(const std::string& Name, const TDeviceMode& Mode,
                                                         const TDocInfo& Doc)
{
    Queue* q = Find(Name);
    if (!q || !q->DestInfo())
        throw EPrinter("Printer selected is not valid");
    const TPrinterLimits limits = Limits(Name);
    auto paperOf = [this, Name](const TDeviceMode& M) { return PaperOf(Name, M); };
    if (!Doc.Output.empty()) {
        // Printing to a file: the document goes there instead of the queue.
        const std::string target = Doc.Output;
        return std::make_unique<TPdfPrintJob>(Doc.Title, limits.Resolution, paperOf, [target](const std::string& Bytes) {
            WriteFile(target, Bytes);
            return 0;
        });
    }

    // The job's options are settled now; the queue gets the document at
    // EndDoc, so an aborted job never reaches it. Pages are laid out in
    // their orientation already: no orientation is requested.
    std::vector<std::pair<std::string, std::string>> options;
    if ((Mode.Fields & DM_COPIES) && Mode.Copies > 1) {
        options.emplace_back("copies", std::to_string(Mode.Copies));
        if (Mode.Fields & DM_COLLATE)
            options.emplace_back("multiple-document-handling",
                                 Mode.Collate == DMCOLLATE_TRUE ? "separate-documents-collated-copies"
                                                                : "separate-documents-uncollated-copies");
    }
    const TPrinterPaper paper = PaperOf(Name, Mode);
    std::string media = paper.Media;
    if (media.empty()) {
        char keyword[128];
        if (pwgFormatSizeName(keyword, sizeof keyword, "custom", nullptr, paper.Width * 10, paper.Height * 10,
                              nullptr))
            media = keyword;
    }
    if (!media.empty())
        options.emplace_back("media", media);
    if (Mode.Fields & DM_DEFAULTSOURCE)
        if (const auto bins = Bins(Name))
            for (const TPrinterBin& bin : *bins)
                if (bin.Code == Mode.DefaultSource && !bin.Source.empty())
                    options.emplace_back("media-source", bin.Source);
    if (Mode.Fields & DM_COLOR)
        options.emplace_back("print-color-mode", Mode.Color == DMCOLOR_MONOCHROME ? "monochrome" : "color");
    if (Mode.Fields & DM_DUPLEX)
        options.emplace_back("sides", Mode.Duplex == DMDUP_VERTICAL     ? "two-sided-long-edge"
                                      : Mode.Duplex == DMDUP_HORIZONTAL ? "two-sided-short-edge"
                                                                        : "one-sided");

    const std::string title = Doc.Title.empty() ? std::string("Dokument") : Doc.Title;
    auto submit = [Name, title, options](const std::string& Bytes) {
        // The queue is looked up anew: the printer list may have been
        // refreshed while the pages were drawn.
        cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, Name.c_str(), nullptr);
        if (!dest)
            throw EPrinter("Printer selected is not valid");
        cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
        int numOptions = 0;
        cups_option_t* cupsOptions = nullptr;
        for (const auto& [name, value] : options)
            numOptions = cupsAddOption(name.c_str(), value.c_str(), numOptions, &cupsOptions);
        auto release = [&] {
            cupsFreeOptions(numOptions, cupsOptions);
            if (info)
                cupsFreeDestInfo(info);
            cupsFreeDests(1, dest);
        };
        int jobId = 0;
        ipp_status_t status = info ? cupsCreateDestJob(CUPS_HTTP_DEFAULT, dest, info, &jobId, title.c_str(),
                                                       numOptions, cupsOptions)
                                   : IPP_STATUS_ERROR_NOT_FOUND;
        if (status > IPP_STATUS_OK_CONFLICTING || jobId <= 0) {
            const std::string reason = cupsLastErrorString() ? cupsLastErrorString() : "";
            release();
            throw EPrinter("The printer did not accept the job: " + reason);
        }
        bool written = cupsStartDestDocument(CUPS_HTTP_DEFAULT, dest, info, jobId, title.c_str(), CUPS_FORMAT_PDF,
                                             0, nullptr, 1) == HTTP_STATUS_CONTINUE;
        if (written)
            written = cupsWriteRequestData(CUPS_HTTP_DEFAULT, Bytes.data(), Bytes.size()) == HTTP_STATUS_CONTINUE;
        status = cupsFinishDestDocument(CUPS_HTTP_DEFAULT, dest, info);
        if (!written || status > IPP_STATUS_OK_CONFLICTING) {
            const std::string reason = cupsLastErrorString() ? cupsLastErrorString() : "";
            cupsCancelDestJob(CUPS_HTTP_DEFAULT, dest, jobId);
            release();
            throw EPrinter("The printer did not accept the job: " + reason);
        }
        release();
        return jobId;
    };
    return std::make_unique<TPdfPrintJob>(Doc.Title, limits.Resolution, paperOf, submit);
}

} // namespace qel
