#pragma once
// Placeholders in page header and footer texts: a function's template text
// in square brackets ("[Page #]", "[Date Printed]"). Before a header or
// footer is drawn, the renderer fills the shared format object with the
// page's values and expands the text through the current function library:
//
//   TdxHFFunctionFormatObject& f = dxHFFormatObject();
//   f.SetCurrentPage(2); f.SetTotalPages(5); f.SetStartPageIndex(1);
//   ProcessHFString("Page [Page #] of [Total Pages]");   // "Page  2  of  5 "
//
// Each value is framed by one blank on each side. The format object carries
// what the printer page decides (page-number style, first page number) and
// what the component printer decides (date and time pictures).
#include "platform/core/Component.h"
#include "platform/core/Variant.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

namespace qel {

class TBitmap;
class TStrings;

enum TdxPageNumberFormat : std::uint8_t { pnfNumeral, pnfChars, pnfUpperChars, pnfRoman, pnfUpperRoman };

// A page number in a style: decimal digits, letters or Roman numerals.
// Numbers below 1 (page 0 of an empty report) and beyond the range of an
// integer are written in digits in every style. Page plus start index may
// leave that range, so the number is 64 bits wide.
std::string FormatPageNumber(std::int64_t Number, TdxPageNumberFormat Format);

// A date or time by a locale picture (d M y, h H m s t). Without AM/PM
// designators in the locale, a picture that asks for them is written on the
// 24-hour clock without them.
std::string FormatHFDate(const std::string& Picture, TDateTime DateTime);
std::string FormatHFTime(const std::string& Picture, TDateTime DateTime);

class TdxHFFunctionFormatObject : public TObject {
    QEL_CLASS(TdxHFFunctionFormatObject)
public:
    // Reads the user and machine names once.
    TdxHFFunctionFormatObject();

    int CurrentPage() const { return m_currentPage; }
    void SetCurrentPage(int Value) { m_currentPage = Value; }
    const std::string& DateFormat() const { return m_dateFormat; }
    void SetDateFormat(const std::string& Value) { m_dateFormat = Value; }
    TDateTime DateTime() const { return m_dateTime; }
    void SetDateTime(TDateTime Value) { m_dateTime = Value; }
    const std::string& MachineName() const { return m_machineName; }
    TdxPageNumberFormat PageNumberFormat() const { return m_pageNumberFormat; }
    void SetPageNumberFormat(TdxPageNumberFormat Value) { m_pageNumberFormat = Value; }
    int StartPageIndex() const { return m_startPageIndex; }
    void SetStartPageIndex(int Value) { m_startPageIndex = Value; }
    const std::string& TimeFormat() const { return m_timeFormat; }
    void SetTimeFormat(const std::string& Value) { m_timeFormat = Value; }
    int TotalPages() const { return m_totalPages; }
    void SetTotalPages(int Value) { m_totalPages = Value; }
    const std::string& UserName() const { return m_userName; }

private:
    int m_currentPage{1};
    std::string m_dateFormat;
    TDateTime m_dateTime{0};
    std::string m_machineName;
    TdxPageNumberFormat m_pageNumberFormat{pnfNumeral};
    int m_startPageIndex{1};
    std::string m_timeFormat;
    int m_totalPages{0};
    std::string m_userName;
};

// ----- categories ---------------------------------------------------------------------------
// Carry no data: the page setup dialog groups the placeholders by them.
struct TdxHFFunctionUnknownCategory {};
struct TdxHFFunctionPagesCategory : TdxHFFunctionUnknownCategory {};
struct TdxHFFunctionDateTimeCategory : TdxHFFunctionUnknownCategory {};
struct TdxHFFunctionAuthenticationCategory : TdxHFFunctionUnknownCategory {};
using TdxHFFunctionCategoryClass = std::type_index;

// ----- functions ------------------------------------------------------------------------------
class TdxHFFunction : public TPersistent {
    QEL_CLASS(TdxHFFunction)
public:
    TdxHFFunction();
    ~TdxHFFunction() override;

    TBitmap* Glyph() const { return m_glyph.get(); }
    void SetGlyph(const TBitmap* Value);
    const std::string& Hint() const { return m_hint; }
    void SetHint(const std::string& Value) { m_hint = Value; }
    // A non-empty text gets "[" in front and "]" at the end where they are missing.
    const std::string& TemplateString() const { return m_templateString; }
    void SetTemplateString(const std::string& Value);

    // Copies the template, the hint and the glyph.
    void Assign(TPersistent* Source) override;

    // The virtual constructor: a new function of this one's class.
    virtual std::unique_ptr<TdxHFFunction> Create() const { return std::make_unique<TdxHFFunction>(); }
    // The text for the format object; the template itself without one.
    std::string DoProcess(const std::string& Template, const TdxHFFunctionFormatObject* FormatObject) const;
    virtual std::string GetFormatedResult(const TdxHFFunctionFormatObject& FormatObject) const;
    virtual TdxHFFunctionCategoryClass GetCategory() const
    {
        return TdxHFFunctionCategoryClass(typeid(TdxHFFunctionUnknownCategory));
    }
    // Display name; "Unknown" here.
    virtual std::string GetName() const { return "Unknown"; }
    std::type_index FunctionClass() const { return std::type_index(typeid(*this)); }

protected:
    // Loads the glyph from the program's bitmap resource.
    void LoadGlyph(int ResourceId);

private:
    std::unique_ptr<TBitmap> m_glyph;
    std::string m_hint;
    std::string m_templateString;
};

class TdxHFPagesFunctions : public TdxHFFunction {
    QEL_CLASS(TdxHFPagesFunctions)
public:
    TdxHFFunctionCategoryClass GetCategory() const override
    {
        return TdxHFFunctionCategoryClass(typeid(TdxHFFunctionPagesCategory));
    }
};

class TdxHFDateTimeFunctions : public TdxHFFunction {
    QEL_CLASS(TdxHFDateTimeFunctions)
public:
    TdxHFFunctionCategoryClass GetCategory() const override
    {
        return TdxHFFunctionCategoryClass(typeid(TdxHFFunctionDateTimeCategory));
    }
};

class TdxHFAuthenticationFunctions : public TdxHFFunction {
    QEL_CLASS(TdxHFAuthenticationFunctions)
public:
    TdxHFFunctionCategoryClass GetCategory() const override
    {
        return TdxHFFunctionCategoryClass(typeid(TdxHFFunctionAuthenticationCategory));
    }
};

#define QEL_HF_FUNCTION(Name, Base)                                                              \
    class Name : public Base {                                                                   \
        QEL_CLASS(Name)                                                                          \
    public:                                                                                      \
        Name();                                                                                  \
        std::unique_ptr<TdxHFFunction> Create() const override { return std::make_unique<Name>(); } \
        std::string GetFormatedResult(const TdxHFFunctionFormatObject& FormatObject) const override; \
        std::string GetName() const override;                                                    \
    }

QEL_HF_FUNCTION(TdxHFPageNumberFunction, TdxHFPagesFunctions);
QEL_HF_FUNCTION(TdxHFTotalPagesFunction, TdxHFPagesFunctions);
QEL_HF_FUNCTION(TdxHFPageOfPagesFunction, TdxHFPagesFunctions);
QEL_HF_FUNCTION(TdxHFDateTimeFunction, TdxHFDateTimeFunctions);
QEL_HF_FUNCTION(TdxHFDateFunction, TdxHFDateTimeFunctions);
QEL_HF_FUNCTION(TdxHFTimeFunction, TdxHFDateTimeFunctions);
QEL_HF_FUNCTION(TdxHFUserNameFunction, TdxHFAuthenticationFunctions);
QEL_HF_FUNCTION(TdxHFMachineNameFunction, TdxHFAuthenticationFunctions);

#undef QEL_HF_FUNCTION

// ----- libraries ------------------------------------------------------------------------------
using TdxHFFunctionProc = std::function<void(TdxHFFunction* Function, void* Data)>;

class TdxHFFunctionLibrary : public TPersistent {
    QEL_CLASS(TdxHFFunctionLibrary)
public:
    TdxHFFunctionLibrary();
    ~TdxHFFunctionLibrary() override;

    int Count() const { return static_cast<int>(m_functions.size()); }
    TdxHFFunction* Functions(int Index) const;   // EListError out of range

    // Appends a new function of class F under its template.
    template <class F>
    F* Add()
    {
        auto function = std::make_unique<F>();
        F* result = function.get();
        Add(std::move(function));
        return result;
    }
    TdxHFFunction* Add(std::unique_ptr<TdxHFFunction> Function);
    void Delete(int Index);
    // From the last to the first.
    void Clear();
    // Without regard to case; -1 when none.
    int IndexOf(const std::string& Template) const;
    // Exact class; -1 when none.
    int IndexOfClass(std::type_index FunctionClass) const;
    template <class F>
    int IndexOfClass() const { return IndexOfClass(std::type_index(typeid(F))); }
    // Each template with its function, inside one update of Strings.
    void GetTemplates(TStrings& Strings) const;
    void ForEach(const TdxHFFunctionProc& Proc, void* Data) const;
    // Source with every known placeholder expanded.
    std::string Process(const std::string& Source, const TdxHFFunctionFormatObject* FormatObject) const;
    // A new function of each class of the source library, in order.
    void Assign(TPersistent* Source) override;

private:
    std::vector<std::unique_ptr<TdxHFFunction>> m_functions;
};

class TdxStandardHFFunctionLibrary : public TdxHFFunctionLibrary {
    QEL_CLASS(TdxStandardHFFunctionLibrary)
public:
    // Page number, total pages, page of pages, date and time, date, time, user name, machine name.
    TdxStandardHFFunctionLibrary();

    TdxHFDateFunction* DateFunction() const;
    TdxHFTimeFunction* TimeFunction() const;
};

// ----- process-wide objects --------------------------------------------------------------------
// The current library (the standard one) and format object, created on first use.
TdxHFFunctionLibrary* dxHFFunctionLibrary();
TdxHFFunctionFormatObject& dxHFFormatObject();

// Source expanded with the current library and format object.
std::string ProcessHFString(const std::string& Source);
void GetStandardHFFunctionTemplates(TStrings& Strings);

// The formats offered by the formatting dialogs, built on first use from the locale.
TStrings* DateFormatList();
TStrings* TimeFormatList();
TStrings* PageNumberFormatList();
// The fillers of the date and time lists, from the current locale settings.
void FillDateFormatList(TStrings& Strings);
void FillTimeFormatList(TStrings& Strings);
// Appends DateTime written with each pattern of Formats, inside one update of Strings.
void GetFormattedDateStrings(const TStrings& Formats, TStrings& Strings, TDateTime DateTime);
void GetFormattedTimeStrings(const TStrings& Formats, TStrings& Strings, TDateTime DateTime);

} // namespace qel
