#include "printing/PaperTable.h"

#include "platform/core/Exceptions.h"

#include <cstdint>
#include <iterator>
#include <utility>

namespace qel {

namespace {

enum class Unit : std::uint8_t { Mm, Inch };

// A row as its name gives it: millimetres, or inches in thousandths so that
// every fraction in the table (eighths, hundredths) is exact.
struct PaperRow {
    int code;
    const char* shortName;
    const char* name;
    Unit unit;
    int width;
    int height;
};

constexpr Unit Mm = Unit::Mm;
constexpr Unit In = Unit::Inch;

// Inch rows are stored as inches x 254 rounded to the nearest tenth of a
// millimetre, ties to even (7 1/4 in gives 1842, 4 3/4 in gives 1206).
int ToLoMetric(Unit AUnit, int Value)
{
    if (AUnit == Unit::Mm)
        return Value * 10;
    const std::int64_t scaled = std::int64_t{Value} * 254;
    std::int64_t q = scaled / 1000;
    const std::int64_t r = scaled % 1000;
    if (r > 500 || (r == 500 && (q % 2) != 0))
        ++q;
    return static_cast<int>(q);
}

// Rows up to code 68 are known to every system.
constexpr PaperRow BasicRows[] = {
    {1, "Letter", "Letter 8 1/2 x 11 in", In, 8500, 11000},
    {2, "Letter Small", "Letter Small 8 1/2 x 11 in ", In, 8500, 11000},
    {3, "Tabloid", "Tabloid 11 x 17 in", In, 11000, 17000},
    {4, "Ledger", "Ledger 17 x 11 in", In, 17000, 11000},
    {5, "Legal", "Legal 8 1/2 x 14 in", In, 8500, 14000},
    {6, "Statement", "Statement 5 1/2 x 8 1/2 in", In, 5500, 8500},
    {7, "Executive", "Executive 7 1/4 x 10 1/2 in", In, 7250, 10500},
    {8, "A3", "A3 297 x 420 mm", Mm, 297, 420},
    {9, "A4", "A4 210 x 297 mm", Mm, 210, 297},
    {10, "A4 Small", "A4 Small 210 x 297 mm", Mm, 210, 297},
    {11, "A5", "A5 148 x 210 mm", Mm, 148, 210},
    {12, "B4 (JIS)", "B4 (JIS) 250 x 354", Mm, 250, 354},
    {13, "B5 (JIS)", "B5 (JIS) 182 x 257 mm", Mm, 182, 257},
    {14, "Folio", "Folio 8 1/2 x 13 in", In, 8500, 13000},
    {15, "Quarto", "Quarto 215 x 275 mm", Mm, 215, 275},
    {16, "10x14 in", "10x14 in", In, 10000, 14000},
    {17, "11x17 in", "11x17 in", In, 11000, 17000},
    {18, "Note", "Note 8 1/2 x 11 in", In, 8500, 11000},
    {19, "Envelope #9", "Envelope #9 3 7/8 x 8 7/8", In, 3875, 8875},
    {20, "Envelope #10", "Envelope #10 4 1/8 x 9 1/2", In, 4125, 9500},
    {21, "Envelope #11", "Envelope #11 4 1/2 x 10 3/8", In, 4500, 10375},
    {22, "Envelope #12", "Envelope #12 4 3/4 x 11", In, 4750, 11000},
    {23, "Envelope #14", "Envelope #14 5 x 11 1/2", In, 5000, 11500},
    {24, "C sheet", "C sheet 17 x 22 in", In, 17000, 22000},
    {25, "D sheet", "D sheet 22 x 34 in", In, 22000, 34000},
    {26, "E sheet", "E sheet 34 x 44 in", In, 34000, 44000},
    {27, "Envelope DL", "Envelope DL 110 x 220mm", Mm, 110, 220},
    {28, "Envelope C5", "Envelope C5 162 x 229 mm", Mm, 162, 229},
    {29, "Envelope C3", "Envelope C3 324 x 458 mm", Mm, 324, 458},
    {30, "Envelope C4", "Envelope C4 229 x 324 mm", Mm, 229, 324},
    {31, "Envelope C6", "Envelope C6 114 x 162 mm", Mm, 114, 162},
    {32, "Envelope 65", "Envelope C65 114 x 229 mm", Mm, 114, 229},
    {33, "Envelope B4", "Envelope B4 250 x 353 mm", Mm, 250, 353},
    {34, "Envelope B5", "Envelope B5 176 x 250 mm", Mm, 176, 250},
    {35, "Envelope B6", "Envelope B6 176 x 125 mm", Mm, 176, 125},
    {36, "Envelope 110", "Envelope 110 x 230 mm", Mm, 110, 230},
    {37, "Envelope Monarch", "Envelope Monarch 3 7/8 x 7 1/2 in", In, 3875, 7500},
    {38, "6 3/4 Envelope", "6 3/4 Envelope 3 5/8 x 6 1/2 in", In, 3625, 6500},
    {39, "US Std Fanfold", "US Std Fanfold 14 7/8 x 11 in", In, 14875, 11000},
    {40, "German Std Fanfold", "German Std Fanfold 8 1/2 x 12 in", In, 8500, 12000},
    {41, "German Legal Fanfold", "German Legal Fanfold 8 1/2 x 13 in", In, 8500, 13000},
    {42, "B4 (ISO)", "B4 (ISO) 250 x 353 mm", Mm, 250, 353},
    {43, "Japanese Postcard", "Japanese Postcard 100 x 148 mm", Mm, 100, 148},
    {44, "9 x 11 in", "9 x 11 in", In, 9000, 11000},
    {45, "10 x 11 in", "10 x 11 in", In, 10000, 11000},
    {46, "15 x 11 in", "15 x 11 in", In, 15000, 11000},
    {47, "Envelope Invite", "Envelope Invite 220 x 220 mm", Mm, 220, 220},
    // Codes 48 and 49 have no paper.
    {50, "Letter Extra", "Letter Extra 9 \\275 x 12 in", In, 9500, 12000},
    {51, "Legal Extra", "Legal Extra 9 \\275 x 15 in", In, 9500, 15000},
    {52, "Tabloid Extra", "Tabloid Extra 11.69 x 18 in", In, 11690, 18000},
    {53, "A4 Extra", "A4 Extra 9.27 x 12.69 in", In, 9270, 12690},
    {54, "Letter Transverse", "Letter Transverse 8 \\275 x 11 in", In, 8500, 11000},
    {55, "A4 Transverse", "A4 Transverse 210 x 297 mm", Mm, 210, 297},
    {56, "Letter Extra Transverse", "Letter Extra Transverse 9\\275 x 12 in", In, 9500, 12000},
    {57, "SuperASuperAA4", "SuperASuperAA4 227 x 356 mm", Mm, 227, 356},
    {58, "SuperBSuperBA3", "SuperBSuperBA3 305 x 487 mm", Mm, 305, 487},
    {59, "Letter Plus", "Letter Plus 8.5 x 12.69 in", In, 8500, 12690},
    {60, "A4 Plus", "A4 Plus 210 x 330 mm", Mm, 210, 330},
    {61, "A5 Transverse", "A5 Transverse 148 x 210 mm", Mm, 148, 210},
    {62, "B5 (JIS) Transverse", "B5 (JIS) Transverse 182 x 257 mm", Mm, 182, 257},
    {63, "A3 Extra", "A3 Extra 322 x 445 mm", Mm, 322, 445},
    {64, "A5 Extra", "A5 Extra 174 x 235 mm", Mm, 174, 235},
    {65, "B5 (ISO) Extra", "B5 (ISO) Extra 201 x 276 mm", Mm, 201, 276},
    {66, "A2", "A2 420 x 594 mm", Mm, 420, 594},
    {67, "A3 Transverse", "A3 Transverse 297 x 420 mm", Mm, 297, 420},
    {68, "A3 Extra Transverse", "A3 Extra Transverse 322 x 445 mm", Mm, 322, 445},
};

// Rows the system knows from major version 5 on, which this platform always
// reports. Names are kept as the system shows them, even where a rotated
// row's name repeats the unrotated size.
constexpr PaperRow ExtendedRows[] = {
    {69, "Japanese Double Postcard", "Japanese Double Postcard 200 x 148 mm", Mm, 200, 148},
    {70, "A6", "A6 105 x 148 mm", Mm, 105, 148},
    {75, "Letter Rotated", "Letter Rotated 11 x 8 1/2 11 in", In, 11000, 8500},
    {76, "A3 Rotated", "A3 Rotated 420 x 297 mm", Mm, 420, 297},
    {77, "A4 Rotated", "A4 Rotated 297 x 210 mm", Mm, 297, 210},
    {78, "A5 Rotated", "A5 Rotated 210 x 148 mm", Mm, 210, 148},
    {79, "B4 (JIS) Rotated", "B4 (JIS) Rotated 364 x 257 mm", Mm, 364, 257},
    {80, "B5 (JIS) Rotated", "B5 (JIS) Rotated 257 x 182 mm", Mm, 257, 182},
    {81, "Japanese Postcard Rotated", "Japanese Postcard Rotated 148 x 100 mm", Mm, 148, 100},
    {83, "A6 Rotated", "A6 Rotated 148 x 105 mm", Mm, 148, 105},
    {88, "B6 (JIS)", "B6 (JIS) 128 x 182 mm", Mm, 128, 182},
    {89, "B6 (JIS) Rotated", "B6 (JIS) Rotated 182 x 128 mm", Mm, 182, 128},
    {90, "12X11", "12X11 12 x 11 in", In, 12000, 11000},
    {93, "PRC 16K", "PRC 16K 146 x 215 mm", Mm, 146, 215},
    {94, "PRC 32K", "PRC 32K 97 x 151 mm", Mm, 97, 151},
    {95, "PRC 32K(Big)", "PRC 32K(Big) 97 x 151 mm", Mm, 97, 151},
    {96, "PRC Envelope #1", "PRC Envelope #1 102 x 165 mm", Mm, 102, 165},
    {97, "PRC Envelope #2", "PRC Envelope #2 102 x 176 mm", Mm, 102, 176},
    {98, "PRC Envelope #3", "PRC Envelope #3 125 x 176 mm", Mm, 125, 176},
    {99, "PRC Envelope #4", "PRC Envelope #4 110 x 208 mm", Mm, 110, 208},
    {100, "PRC Envelope #5", "PRC Envelope #5 110 x 220 mm", Mm, 110, 220},
    {101, "PRC Envelope #6", "PRC Envelope #6 120 x 230 mm", Mm, 120, 230},
    {102, "PRC Envelope #7", "PRC Envelope #7 160 x 230 mm", Mm, 160, 230},
    {103, "PRC Envelope #8", "PRC Envelope #8 120 x 309 mm", Mm, 120, 309},
    {104, "PRC Envelope #9", "PRC Envelope #9 229 x 324 mm", Mm, 229, 324},
    {105, "PRC Envelope #10", "PRC Envelope #10 324 x 458 mm", Mm, 324, 458},
    {106, "PRC 16K Rotated", "PRC 16K Rotated 146 x 215 mm", Mm, 215, 146},
    {107, "PRC 32K Rotated", "PRC 32K Rotated 97 x 151 mm", Mm, 151, 97},
    {108, "PRC 32K(Big) Rotated", "PRC 32K(Big) Rotated 97 x 151 mm", Mm, 151, 97},
    {109, "PRC Envelope #1 Rotated", "PRC Envelope #1 Rotated 165 x 102 mm", Mm, 165, 102},
    {110, "PRC Envelope #2 Rotated", "PRC Envelope #2 Rotated 176 x 102 mm", Mm, 176, 102},
    {111, "PRC Envelope #3 Rotated", "PRC Envelope #3 Rotated 176 x 125 mm", Mm, 176, 125},
    {112, "PRC Envelope #4 Rotated", "PRC Envelope #4 Rotated 208 x 110 mm", Mm, 208, 110},
    {113, "PRC Envelope #5 Rotated", "PRC Envelope #5 Rotated 220 x 110 mm", Mm, 220, 110},
    {114, "PRC Envelope #6 Rotated", "PRC Envelope #6 Rotated 230 x 120 mm", Mm, 230, 120},
    {115, "PRC Envelope #7 Rotated", "PRC Envelope #7 Rotated 230 x 160 mm", Mm, 230, 160},
    {116, "PRC Envelope #8 Rotated", "PRC Envelope #8 Rotated 309 x 120 mm", Mm, 309, 120},
    {117, "PRC Envelope #9 Rotated", "PRC Envelope #9 Rotated 324 x 229 mm", Mm, 324, 229},
    {118, "PRC Envelope #10 Rotated", "PRC Envelope #10 Rotated 458 x 324 mm", Mm, 458, 324},
};

std::unique_ptr<TdxPaper> MakePaper(const PaperRow& Row)
{
    return std::make_unique<TdxPaper>(Row.name, Row.shortName, ToLoMetric(Row.unit, Row.width),
                                      ToLoMetric(Row.unit, Row.height), Row.code);
}

} // namespace

TdxPaper::TdxPaper(std::string Name, std::string ShortName, int Width, int Height, int DmPaper)
    : m_name(std::move(Name)), m_shortName(std::move(ShortName)), m_width(Width), m_height(Height),
      m_dmPaper(DmPaper)
{
}

void TdxPaper::Assign(TPersistent* Source)
{
    if (auto* paper = dynamic_cast<TdxPaper*>(Source)) {
        m_name = paper->m_name;
        m_shortName = paper->m_shortName;
        m_width = paper->m_width;
        m_height = paper->m_height;
        m_dmPaper = paper->m_dmPaper;
        return;
    }
    TPersistent::Assign(Source);
}

TdxPapers::TdxPapers()
{
    Fill();
}

TdxPapers::~TdxPapers()
{
    Clear();
}

void TdxPapers::Assign(TPersistent* Source)
{
    auto* papers = dynamic_cast<TdxPapers*>(Source);
    if (Source != nullptr && papers == nullptr) {
        TPersistent::Assign(Source);
        return;
    }
    if (papers == this)
        return;
    // Copy first so that a failed allocation leaves the table as it was.
    std::vector<std::unique_ptr<TdxPaper>> copies;
    if (papers != nullptr) {
        copies.reserve(papers->m_items.size());
        for (const auto& item : papers->m_items) {
            auto copy = std::make_unique<TdxPaper>();
            copy->Assign(item.get());
            copies.push_back(std::move(copy));
        }
    }
    Clear();
    m_items = std::move(copies);
}

TdxPaper* TdxPapers::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return m_items[static_cast<std::size_t>(Index)].get();
}

int TdxPapers::IndexOfDMPaper(int Code) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_items[static_cast<std::size_t>(i)]->DMPaper() == Code)
            return i;
    return -1;
}

int TdxPapers::IndexOfSize(int Width, int Height) const
{
    // Compared in 64 bits so that extreme arguments cannot overflow.
    const auto near = [](int A, int B) {
        const std::int64_t d = std::int64_t{A} - std::int64_t{B};
        return d >= -1 && d <= 1;
    };
    for (int i = 0; i < Count(); ++i) {
        const TdxPaper& p = *m_items[static_cast<std::size_t>(i)];
        if (near(p.Width(), Width) && near(p.Height(), Height))
            return i;
    }
    return -1;
}

int TdxPapers::IndexOfName(const std::string& Name) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_items[static_cast<std::size_t>(i)]->Name() == Name)
            return i;
    for (int i = 0; i < Count(); ++i)
        if (m_items[static_cast<std::size_t>(i)]->ShortName() == Name)
            return i;
    return -1;
}

void TdxPapers::Clear()
{
    while (!m_items.empty())
        m_items.pop_back();
}

void TdxPapers::Add(std::unique_ptr<TdxPaper> Paper)
{
    m_items.push_back(std::move(Paper));
}

void TdxPapers::Fill()
{
    Clear();
    m_items.reserve(std::size(BasicRows) + std::size(ExtendedRows) + 1);
    for (const PaperRow& row : BasicRows)
        Add(MakePaper(row));
    for (const PaperRow& row : ExtendedRows)
        Add(MakePaper(row));
    Add(std::make_unique<TdxPaper>("Custom", "Custom", 0, 0, DMPAPER_USER));
}

TdxPapers& dxPapers()
{
    static TdxPapers papers;
    return papers;
}

} // namespace qel
