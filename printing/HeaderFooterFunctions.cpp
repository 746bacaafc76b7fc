#include "printing/HeaderFooterFunctions.h"

#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/Strings.h"
#include "platform/core/SystemInfo.h"
#include "platform/core/Utf8.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Resources.h"
#include "printing/PrintUtils.h"

#include <algorithm>
#include <climits>

namespace qel {

namespace {

// ----- glyphs ---------------------------------------------------------------------------
// Small pictures of each function's meaning, 16 x 16 on the button face.

std::unique_ptr<TBitmap> NewGlyph()
{
    auto bmp = std::make_unique<TBitmap>(16, 16);
    TCanvas* c = bmp->Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect{0, 0, 16, 16});
    c->Pen()->SetColor(clBlack);
    return bmp;
}

// A page with ruled lines; Count pages fanned out.
void DrawPages(TCanvas* C, int Count)
{
    for (int i = Count - 1; i >= 0; --i) {
        const int x = 2 + i * 3;
        const int y = 1 + i * 2;
        C->Brush()->SetColor(clWhite);
        C->Rectangle(x, y, x + 9, y + 12);
    }
    for (int y = 4; y < 12; y += 2) {
        C->MoveTo(4 + (Count - 1) * 3, y + (Count - 1) * 2);
        C->LineTo(9 + (Count - 1) * 3, y + (Count - 1) * 2);
    }
}

void DrawCalendar(TCanvas* C)
{
    C->Brush()->SetColor(clWhite);
    C->Rectangle(1, 2, 12, 13);
    C->Brush()->SetColor(0x0000C0);
    C->FillRect(TRect{2, 3, 11, 5});
}

void DrawClock(TCanvas* C, int Left)
{
    C->Brush()->SetColor(clWhite);
    C->Ellipse(Left, 3, Left + 11, 14);
    C->MoveTo(Left + 5, 8);
    C->LineTo(Left + 5, 4);
    C->MoveTo(Left + 5, 8);
    C->LineTo(Left + 9, 8);
}

void DrawPerson(TCanvas* C)
{
    C->Brush()->SetColor(0x80C0FF);
    C->Ellipse(5, 1, 11, 7);
    C->Brush()->SetColor(0x804000);
    C->Ellipse(2, 8, 14, 18);
}

void DrawComputer(TCanvas* C)
{
    C->Brush()->SetColor(0x808000);
    C->Rectangle(2, 2, 14, 11);
    C->Brush()->SetColor(clSilver);
    C->Rectangle(5, 12, 11, 15);
}

const bool g_glyphsRegistered = [] {
    auto reg = [](int Id, std::function<void(TCanvas*)> Paint) {
        RegisterBitmapResource(Id, [Paint] {
            auto bmp = NewGlyph();
            Paint(bmp->Canvas());
            return bmp;
        });
    };
    reg(30012, [](TCanvas* C) { DrawPages(C, 1); });
    reg(30013, [](TCanvas* C) { DrawPages(C, 2); });
    reg(30014, [](TCanvas* C) { DrawPages(C, 3); });
    reg(30015, [](TCanvas* C) {
        DrawCalendar(C);
        DrawClock(C, 5);
    });
    reg(30016, [](TCanvas* C) { DrawCalendar(C); });
    reg(30017, [](TCanvas* C) { DrawClock(C, 2); });
    reg(30018, [](TCanvas* C) { DrawPerson(C); });
    reg(30019, [](TCanvas* C) { DrawComputer(C); });
    return true;
}();

// ----- date and time pictures -------------------------------------------------------------

// Without AM/PM texts a 12-hour picture would print 14:05 as "02:05" with
// nothing after it: such a picture is read on the 24-hour clock and its
// designators (with the blank that set them apart) are left out.
std::string TwentyFourHourPicture(const std::string& Picture)
{
    bool hasDesignator = false;
    bool quoted = false;
    for (char ch : Picture) {
        if (ch == '\'')
            quoted = !quoted;
        else if (!quoted && (ch == 't' || ch == 'T'))
            hasDesignator = true;
    }
    if (!hasDesignator)
        return Picture;
    std::string out;
    quoted = false;
    bool dropNextBlank = false;
    for (std::size_t i = 0; i < Picture.size(); ++i) {
        const char ch = Picture[i];
        if (ch == '\'') {
            quoted = !quoted;
            out += ch;
            dropNextBlank = false;
            continue;
        }
        if (!quoted && (ch == 't' || ch == 'T')) {
            while (i + 1 < Picture.size() && (Picture[i + 1] == 't' || Picture[i + 1] == 'T'))
                ++i;
            if (!out.empty() && out.back() == ' ')
                out.pop_back();
            else
                dropNextBlank = true;
            continue;
        }
        if (dropNextBlank && ch == ' ') {
            dropNextBlank = false;
            continue;
        }
        dropNextBlank = false;
        out += (!quoted && ch == 'h') ? 'H' : ch;
    }
    return out;
}

std::string Capped(const std::string& Name)
{
    // The platform's name calls return at most 255 characters.
    return Utf8Prefix(Name, 255);
}

} // namespace

std::string FormatPageNumber(std::int64_t Number, TdxPageNumberFormat Format)
{
    if (Number < 1 || Number > INT_MAX)
        return std::to_string(Number);
    const int number = static_cast<int>(Number);
    switch (Format) {
    case pnfChars: return IntToLetters(number, false);
    case pnfUpperChars: return IntToLetters(number, true);
    case pnfRoman: return IntToRoman(number, false);
    case pnfUpperRoman: return IntToRoman(number, true);
    case pnfNumeral: break;
    }
    return IntToStr(number);
}

std::string FormatHFDate(const std::string& Picture, TDateTime DateTime)
{
    return LocaleFormatDate(Picture, DateTime);
}

std::string FormatHFTime(const std::string& Picture, TDateTime DateTime)
{
    const TFormatSettings& fs = FormatSettings();
    if (fs.TimeAMString.empty() && fs.TimePMString.empty())
        return LocaleFormatTime(TwentyFourHourPicture(Picture), DateTime);
    return LocaleFormatTime(Picture, DateTime);
}

// ===== TdxHFFunctionFormatObject ============================================================

TdxHFFunctionFormatObject::TdxHFFunctionFormatObject()
    : m_machineName(Capped(GetComputerName())), m_userName(Capped(GetUserName()))
{
}

// ===== TdxHFFunction ========================================================================

TdxHFFunction::TdxHFFunction() : m_glyph(std::make_unique<TBitmap>()) {}

TdxHFFunction::~TdxHFFunction() = default;

void TdxHFFunction::SetGlyph(const TBitmap* Value)
{
    if (Value)
        m_glyph->Assign(const_cast<TBitmap*>(Value));
    else
        m_glyph->SetSize(0, 0);
}

void TdxHFFunction::LoadGlyph(int ResourceId)
{
    if (BitmapResourceExists(ResourceName(ResourceId)))
        m_glyph = LoadBitmapResource(ResourceId);
}

void TdxHFFunction::SetTemplateString(const std::string& Value)
{
    std::string text = Value;
    if (!text.empty()) {
        if (text.front() != '[')
            text.insert(text.begin(), '[');
        if (text.back() != ']')
            text += ']';
    }
    m_templateString = text;
}

void TdxHFFunction::Assign(TPersistent* Source)
{
    auto* source = dynamic_cast<TdxHFFunction*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    m_templateString = source->m_templateString;
    m_hint = source->m_hint;
    SetGlyph(source->Glyph());
}

std::string TdxHFFunction::DoProcess(const std::string& Template, const TdxHFFunctionFormatObject* FormatObject) const
{
    return FormatObject ? GetFormatedResult(*FormatObject) : Template;
}

std::string TdxHFFunction::GetFormatedResult(const TdxHFFunctionFormatObject&) const
{
    return m_templateString;
}

// ----- the standard functions -----------------------------------------------------------

namespace {

// The number shown for a page counted from 1, the first page showing the start index.
std::string ShownNumber(const TdxHFFunctionFormatObject& F, int Page)
{
    return FormatPageNumber(std::int64_t{Page} + F.StartPageIndex() - 1, F.PageNumberFormat());
}

std::string PageText(const TdxHFFunctionFormatObject& F)
{
    return ShownNumber(F, F.CurrentPage());
}

std::string TotalText(const TdxHFFunctionFormatObject& F)
{
    return ShownNumber(F, F.TotalPages());
}

} // namespace

#define QEL_HF_SETUP(Name, Resource, Template, HintText, DisplayName)                             \
    Name::Name()                                                                                  \
    {                                                                                             \
        LoadGlyph(Resource);                                                                      \
        SetTemplateString(Template);                                                              \
        SetHint(HintText);                                                                        \
    }                                                                                             \
    std::string Name::GetName() const { return DisplayName; }

QEL_HF_SETUP(TdxHFPageNumberFunction, 30012, "Page #", "Page Number", "Page Number")
QEL_HF_SETUP(TdxHFTotalPagesFunction, 30013, "Total Pages", "Total Pages", "Total Pages")
QEL_HF_SETUP(TdxHFPageOfPagesFunction, 30014, "Page # of Pages #", "Page # of Pages #", "Page # of Pages #")
QEL_HF_SETUP(TdxHFDateTimeFunction, 30015, "Date & Time Printed", "Date and Time Printed", "Date and Time")
QEL_HF_SETUP(TdxHFDateFunction, 30016, "Date Printed", "Date Printed", "Date")
QEL_HF_SETUP(TdxHFTimeFunction, 30017, "Time Printed", "Time Printed", "Time")
QEL_HF_SETUP(TdxHFUserNameFunction, 30018, "User Name", "User Name", "User Name")
QEL_HF_SETUP(TdxHFMachineNameFunction, 30019, "Machine Name", "Machine Name", "Machine Name")

#undef QEL_HF_SETUP

std::string TdxHFPageNumberFunction::GetFormatedResult(const TdxHFFunctionFormatObject& F) const
{
    return PageText(F);
}

std::string TdxHFTotalPagesFunction::GetFormatedResult(const TdxHFFunctionFormatObject& F) const
{
    return TotalText(F);
}

std::string TdxHFPageOfPagesFunction::GetFormatedResult(const TdxHFFunctionFormatObject& F) const
{
    return PageText(F) + " " + "Of" + " " + TotalText(F);
}

std::string TdxHFDateTimeFunction::GetFormatedResult(const TdxHFFunctionFormatObject& F) const
{
    return FormatHFDate(F.DateFormat(), F.DateTime()) + " " + FormatHFTime(F.TimeFormat(), F.DateTime());
}

std::string TdxHFDateFunction::GetFormatedResult(const TdxHFFunctionFormatObject& F) const
{
    return FormatHFDate(F.DateFormat(), F.DateTime());
}

std::string TdxHFTimeFunction::GetFormatedResult(const TdxHFFunctionFormatObject& F) const
{
    return FormatHFTime(F.TimeFormat(), F.DateTime());
}

std::string TdxHFUserNameFunction::GetFormatedResult(const TdxHFFunctionFormatObject& F) const
{
    return F.UserName();
}

std::string TdxHFMachineNameFunction::GetFormatedResult(const TdxHFFunctionFormatObject& F) const
{
    return F.MachineName();
}

// ===== TdxHFFunctionLibrary ==================================================================

TdxHFFunctionLibrary::TdxHFFunctionLibrary() = default;

TdxHFFunctionLibrary::~TdxHFFunctionLibrary()
{
    Clear();
}

TdxHFFunction* TdxHFFunctionLibrary::Functions(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return m_functions[static_cast<std::size_t>(Index)].get();
}

TdxHFFunction* TdxHFFunctionLibrary::Add(std::unique_ptr<TdxHFFunction> Function)
{
    if (!Function)
        return nullptr;
    m_functions.push_back(std::move(Function));
    return m_functions.back().get();
}

void TdxHFFunctionLibrary::Delete(int Index)
{
    Functions(Index);   // checks the index
    m_functions.erase(m_functions.begin() + Index);
}

void TdxHFFunctionLibrary::Clear()
{
    while (!m_functions.empty())
        m_functions.pop_back();
}

int TdxHFFunctionLibrary::IndexOf(const std::string& Template) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(m_functions[static_cast<std::size_t>(i)]->TemplateString(), Template))
            return i;
    return -1;
}

int TdxHFFunctionLibrary::IndexOfClass(std::type_index FunctionClass) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_functions[static_cast<std::size_t>(i)]->FunctionClass() == FunctionClass)
            return i;
    return -1;
}

void TdxHFFunctionLibrary::GetTemplates(TStrings& Strings) const
{
    TUpdateScope<TStrings> scope(Strings);
    for (const auto& f : m_functions)
        Strings.AddObject(f->TemplateString(), f.get());
}

void TdxHFFunctionLibrary::ForEach(const TdxHFFunctionProc& Proc, void* Data) const
{
    if (!Proc)
        return;
    for (const auto& f : m_functions)
        Proc(f.get(), Data);
}

std::string TdxHFFunctionLibrary::Process(const std::string& Source, const TdxHFFunctionFormatObject* FormatObject) const
{
    // The text is scanned once from left to right and the result built as it
    // goes: values are never scanned again, and no placeholder text is ever
    // used as a format string. A "[" that does not open a known placeholder
    // is literal text and the scan goes on right after it, so "x [ [Page #]"
    // still expands. Only a bracketed text no longer than a template (in
    // UTF-8, up to 4 bytes for each of its characters when case is ignored)
    // is looked up, so long runs of "[" cost no more than other text.
    std::size_t longest = 0;
    for (const auto& f : m_functions)
        longest = std::max(longest, f->TemplateString().size());
    const std::size_t longestToken = 4 * longest;

    std::string result;
    result.reserve(Source.size());
    std::size_t copied = 0;                  // Source before this is in result
    std::size_t i = 0;
    std::size_t close = std::string::npos;   // the next "]" at or after i, once found
    while (i < Source.size()) {
        const std::size_t start = Source.find('[', i);
        if (start == std::string::npos || start + 1 >= Source.size())
            break;
        if (close == std::string::npos || close <= start)
            close = Source.find(']', start + 1);
        if (close == std::string::npos)
            break;
        const std::size_t length = close - start + 1;
        if (length >= 3 && length <= longestToken) {
            const std::string token = Source.substr(start, length);
            const int index = IndexOf(token);
            if (index >= 0) {
                const std::string text = Functions(index)->DoProcess(token, FormatObject);
                result.append(Source, copied, start - copied);
                if (!text.empty())
                    result.append(" ").append(text).append(" ");
                copied = i = close + 1;
                continue;
            }
        }
        i = start + 1;
    }
    result.append(Source, copied, std::string::npos);
    return result;
}

void TdxHFFunctionLibrary::Assign(TPersistent* Source)
{
    auto* source = dynamic_cast<TdxHFFunctionLibrary*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this)
        return;
    Clear();
    for (const auto& f : source->m_functions)
        Add(f->Create());
}

TdxStandardHFFunctionLibrary::TdxStandardHFFunctionLibrary()
{
    Add<TdxHFPageNumberFunction>();
    Add<TdxHFTotalPagesFunction>();
    Add<TdxHFPageOfPagesFunction>();
    Add<TdxHFDateTimeFunction>();
    Add<TdxHFDateFunction>();
    Add<TdxHFTimeFunction>();
    Add<TdxHFUserNameFunction>();
    Add<TdxHFMachineNameFunction>();
}

TdxHFDateFunction* TdxStandardHFFunctionLibrary::DateFunction() const
{
    const int i = IndexOfClass<TdxHFDateFunction>();
    return i < 0 ? nullptr : static_cast<TdxHFDateFunction*>(Functions(i));
}

TdxHFTimeFunction* TdxStandardHFFunctionLibrary::TimeFunction() const
{
    const int i = IndexOfClass<TdxHFTimeFunction>();
    return i < 0 ? nullptr : static_cast<TdxHFTimeFunction*>(Functions(i));
}

// ===== process-wide objects ==================================================================

TdxHFFunctionLibrary* dxHFFunctionLibrary()
{
    static TdxStandardHFFunctionLibrary library;
    return &library;
}

TdxHFFunctionFormatObject& dxHFFormatObject()
{
    static TdxHFFunctionFormatObject formatObject;
    return formatObject;
}

std::string ProcessHFString(const std::string& Source)
{
    TdxHFFunctionLibrary* library = dxHFFunctionLibrary();
    return library ? library->Process(Source, &dxHFFormatObject()) : Source;
}

void GetStandardHFFunctionTemplates(TStrings& Strings)
{
    if (TdxHFFunctionLibrary* library = dxHFFunctionLibrary())
        library->GetTemplates(Strings);
}

namespace {

// Trimmed, then leading blanks, commas and full stops removed.
std::string CleanDateFormat(const std::string& Format)
{
    const std::string text = Trim(Format);
    const std::size_t first = text.find_first_not_of(" ,.");
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string KeepChars(const std::string& Text, const std::string& Allowed)
{
    std::string out;
    for (char ch : Text)
        if (Allowed.find(ch) != std::string::npos)
            out += ch;
    return out;
}

} // namespace

void FillDateFormatList(TStrings& Strings)
{
    const TFormatSettings& fs = FormatSettings();
    const std::string shortFormat = fs.ShortDateFormat;
    const std::string longFormat = fs.LongDateFormat;
    TUpdateScope<TStrings> scope(Strings);
    Strings.Add(shortFormat);
    std::string text = Trim(longFormat);
    if (text.find("dddd") == std::string::npos)
        text = "dddd, " + text;
    Strings.Add(text);
    Strings.Add(CleanDateFormat(ReplaceSubStr(longFormat, "dddd", "")));
    if (shortFormat.find("yyyy") != std::string::npos) {
        Strings.Add(ReplaceSubStr(shortFormat, "yyyy", "yy"));
    } else {
        text = shortFormat;
        if (const std::size_t pos = text.find("yy"); pos != std::string::npos)
            text.replace(pos, 2, "yyyy");
        Strings.Add(text);
    }
    Strings.Add("yyyy-MM-dd");
    Strings.Add("d-MMM-yy");
    text = shortFormat;
    const char separator = fs.DateSeparator;
    const char replacement = separator == '/' ? '.' : '/';
    std::replace(text.begin(), text.end(), separator, replacement);
    Strings.Add(text);
    Strings.Add(CleanDateFormat(KeepChars(longFormat, " M:\\.,/")) + " yyyy");
    Strings.Add("d MMMM yyyy");
    Strings.Add(CleanDateFormat(KeepChars(longFormat, " M:\\")) + " yy");
    Strings.Add("MMM-yy");
}

void FillTimeFormatList(TStrings& Strings)
{
    const std::string h = FormatSettings().TimeLeadingZero ? "hh" : "h";
    const std::string upper = h == "hh" ? "HH" : "H";
    TUpdateScope<TStrings> scope(Strings);
    Strings.Add(h + ":mm tt");
    Strings.Add(h + ":mm:ss tt");
    Strings.Add(upper + ":mm");
    Strings.Add(upper + ":mm:ss");
}

namespace {

// The lists below are filled on first use and kept for the program's life.
std::unique_ptr<TStringList> FilledList(void (*Fill)(TStrings&))
{
    auto list = std::make_unique<TStringList>();
    Fill(*list);
    return list;
}

void FillPageNumberFormatList(TStrings& Strings)
{
    for (const char* s : {"1, 2, 3, 4, 5, ...", "a, b, c, d, e, ...", "A, B, C, D, E, ...",
                          "i, ii, iii, iv, v, ...", "I, II, III, IV, V, ..."})
        Strings.Add(s);
}

} // namespace

TStrings* DateFormatList()
{
    static const std::unique_ptr<TStringList> list = FilledList(FillDateFormatList);
    return list.get();
}

TStrings* TimeFormatList()
{
    static const std::unique_ptr<TStringList> list = FilledList(FillTimeFormatList);
    return list.get();
}

TStrings* PageNumberFormatList()
{
    static const std::unique_ptr<TStringList> list = FilledList(FillPageNumberFormatList);
    return list.get();
}

void GetFormattedDateStrings(const TStrings& Formats, TStrings& Strings, TDateTime DateTime)
{
    TUpdateScope<TStrings> scope(Strings);
    for (int i = 0; i < Formats.Count(); ++i)
        Strings.Add(FormatHFDate(Formats.Get(i), DateTime));
}

void GetFormattedTimeStrings(const TStrings& Formats, TStrings& Strings, TDateTime DateTime)
{
    TUpdateScope<TStrings> scope(Strings);
    for (int i = 0; i < Formats.Count(); ++i)
        Strings.Add(FormatHFTime(Formats.Get(i), DateTime));
}

} // namespace qel
