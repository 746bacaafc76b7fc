// Reports built from hand-made cell trees, printed through the PDF file
// printer and read back by pdfinfo, pdftotext and pdftoppm.
#include "printing/ReportLink.h"

#include "platform/core/MathUtils.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Bitmap.h"
#include "platform/printers/PdfFilePrinter.h"

#include "PdfPrinting.h"
#include "PdfTools.h"
#include "ReportTestLink.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

namespace qel {
namespace {

using test::LineWith;
using test::Papers;
using test::PaperRect;
using test::PdfMode;
using test::PrintToPdf;
using test::RunTool;
using test::TReportTestLink;
using test::Words;

struct PdfCase {
    const char* Name;
    TdxPrinterOrientation Orientation;
    int Scale;
    int PagesAcross;
    int PagesDown;
    std::vector<std::vector<int>> ColumnsOfPageColumn;   // the report columns each page column shows
    const char* Size;                                     // pdfinfo's page size
};

class ReportPdf : public ::testing::TestWithParam<PdfCase> {};

// 200 rows of 21 pixels under a repeated header of 25 and footer of 21, six
// columns of 300 pixels, a title of 40 pixels, on A4 with 12.7 mm margins:
// the room inside the margins is 69,770 by 102,652 report units.
//   portrait, 100 %: two columns per page (600 of 697.7 pixels); the first
//     page row holds (102,652 - 2,500 - 2,100 - 4,000) / 2,100 = 44 rows,
//     the others (102,652 - 4,600) / 2,100 = 46: 44 + 3 * 46 = 182, so 5 rows of pages.
//   portrait, 50 %: four columns per page (1,200 of 1,395.4); the title keeps
//     its 40 pixels on the paper (4,000 paper units), header and footer take
//     half: (102,652 - 6,300) * 2 / 2,100 = 91 rows, then (102,652 - 2,300) * 2 / 2,100 = 95.
//   landscape, 100 %: three columns per page; (69,770 - 8,600) / 2,100 = 29,
//     then (69,770 - 4,600) / 2,100 = 31: 29 + 5 * 31 = 184, so 7 rows of pages.
INSTANTIATE_TEST_SUITE_P(
    Reports, ReportPdf,
    ::testing::Values(PdfCase{"portrait", poPortrait, 100, 3, 5, {{0, 1}, {2, 3}, {4, 5}}, "595 x 842 pts"},
                      PdfCase{"half_scale", poPortrait, 50, 2, 3, {{0, 1, 2, 3}, {4, 5}}, "595 x 842 pts"},
                      PdfCase{"landscape", poLandscape, 100, 2, 7, {{0, 1, 2}, {3, 4, 5}}, "842 x 595 pts"}),
    [](const ::testing::TestParamInfo<PdfCase>& Info) { return std::string(Info.param.Name); });

void SetUpReport(TReportTestLink& Link, const PdfCase& Case)
{
    Link.Shape.Rows = 200;
    Link.Shape.ColumnWidths = std::vector<int>(6, 300);
    Link.Shape.HeaderHeight = 25;
    Link.Shape.FooterHeight = 21;
    Link.SetHeadersOnEveryPage(true);
    Link.SetFootersOnEveryPage(true);
    Link.SetReportTitleText("Zutrittsmatrix");
    Link.SetReportTitleMode(tmOnEveryTopPage);
    Link.OnMeasureReportLinkTitle = [](TBasedxReportLink*, int& Height) { Height = 40; };
    Link.SetStartPageIndex(2);
    TdxPrinterPage* page = Link.PrinterPage();
    page->SetMeasurementUnits(muMillimeters);
    page->SetDMPaper(9);
    page->SetOrientation(Case.Orientation);
    page->SetScaleFactor(Case.Scale);
    page->SetReverseTitlesOnEvenPages(true);
    page->PageHeader()->CenterTitle()->SetText("[Date Printed]");
    page->PageFooter()->LeftTitle()->SetText("L");
    page->PageFooter()->RightTitle()->SetText("R");
    page->PageFooter()->CenterTitle()->SetText("Page [Page #] of [Total Pages]");
}

TEST_P(ReportPdf, PrintsTheHandComputedPagesWithTheirTitlesHeadersFootersAndRows)
{
    const PdfCase& c = GetParam();
    TComponent owner(nullptr);
    auto* source = new TComponent(&owner);
    auto* link = new TReportTestLink(&owner);
    SetUpReport(*link, c);
    link->SetComponent(source);
    link->SetActive(true);
    int across = 0;
    int down = 0;
    link->GetPageCounts(across, down);
    EXPECT_EQ(across, c.PagesAcross);
    EXPECT_EQ(down, c.PagesDown);
    const int pages = c.PagesAcross * c.PagesDown;
    ASSERT_EQ(link->GetPageCount(), pages);

    test::TempDir dir;
    const std::string file = dir.File("bericht.pdf");
    PrintToPdf(*link, file);
    const QString qfile = QString::fromStdString(file);
    const std::string info = RunTool("pdfinfo", {"-f", "1", "-l", "1", qfile});
    EXPECT_NE(info.find("Pages:           " + std::to_string(pages) + "\n"), std::string::npos) << info;
    EXPECT_NE(info.find(std::string("Page    1 size:  ") + c.Size), std::string::npos) << info;

    const std::string date = FormatHFDate(DateFormatList()->Get(link->DateFormat()), link->DateTime());
    std::map<std::string, int> seen;
    for (int i = 0; i < pages; ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        const std::string text = RunTool(
            "pdftotext", {"-layout", "-f", QString::number(i + 1), "-l", QString::number(i + 1), qfile, "-"});
        const int number = i + 2;   // StartPageIndex 2
        const std::string footer = LineWith(text, "Page ");
        const std::string middle = "Page " + std::to_string(number) + " of " + std::to_string(pages + 1);
        // Left and right swap on even printed numbers only.
        EXPECT_EQ(footer, number % 2 == 0 ? "R " + middle + " L" : "L " + middle + " R");
        EXPECT_NE(text.find(date), std::string::npos);
        const bool top = i < c.PagesAcross;
        EXPECT_EQ(text.find("Zutrittsmatrix") != std::string::npos, top);
        const auto& columns = c.ColumnsOfPageColumn[static_cast<std::size_t>(i % c.PagesAcross)];
        for (const std::string& word : Words(text)) {
            std::smatch m;
            static const std::regex cell("R(\\d+)C(\\d+)");
            if (!std::regex_match(word, m, cell))
                continue;
            ++seen[word];
            const int column = std::stoi(m[2]);
            EXPECT_NE(std::find(columns.begin(), columns.end(), column), columns.end()) << word;
        }
        for (int column : columns)
            EXPECT_NE(text.find("Kopf" + std::to_string(column)), std::string::npos) << "header cell " << column;
    }
    for (int r = 0; r < 200; ++r)
        for (int col = 0; col < 6; ++col) {
            const std::string word = "R" + std::to_string(r) + "C" + std::to_string(col);
            EXPECT_EQ(seen[word], 1) << word;
        }
}

// ----- the bitmap against the PDF ----------------------------------------------------------------

struct GrayImage {
    int Width = 0;
    int Height = 0;
    std::string Pixels;
    bool Ink(int X, int Y) const
    {
        return X >= 0 && Y >= 0 && X < Width && Y < Height &&
               static_cast<unsigned char>(Pixels[static_cast<std::size_t>(Y) * Width + X]) < 128;
    }
};

GrayImage ReadPgm(const std::string& File)
{
    const std::string bytes = test::ReadFileBytes(File);
    std::istringstream in(bytes);
    std::string magic;
    GrayImage img;
    int maxValue = 0;
    in >> magic >> img.Width >> img.Height >> maxValue;
    in.get();
    img.Pixels = bytes.substr(static_cast<std::size_t>(in.tellg()));
    return img;
}

bool BitmapInk(const TBitmap& Bitmap, int X, int Y)
{
    const TColor c = Bitmap.Pixel(X, Y);
    return c != CLR_INVALID && (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3 < 128;
}

// The ink inside Box: left, top, right, bottom (exclusive); empty without ink.
template <class InkAt>
TRect InkBox(InkAt Ink, const TRect& Box)
{
    TRect r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = Box.Top; y < Box.Bottom; ++y)
        for (int x = Box.Left; x < Box.Right; ++x)
            if (Ink(x, y)) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x + 1);
                r.Bottom = std::max(r.Bottom, y + 1);
            }
    return r.Left == INT_MAX ? TRect{} : r;
}

TEST(ReportPdfBitmap, APagePaintedToABitmapPutsEachTextWithinOnePixelOfThePdf)
{
    TComponent owner(nullptr);
    auto* source = new TComponent(&owner);
    auto* link = new TReportTestLink(&owner);
    SetUpReport(*link, PdfCase{"portrait", poPortrait, 100, 3, 5, {}, ""});
    link->Shape.Borders = false;   // text only: the ink of a word is the word
    link->SetComponent(source);
    link->SetActive(true);
    test::TempDir dir;
    const std::string file = dir.File("seite.pdf");
    PrintToPdf(*link, file);

    // The same page on a bitmap with the PDF page's device capabilities.
    TPdfPrinterBackend backend(Papers());
    const TDeviceCaps caps = backend.PageCaps(PdfPrinterName, PdfMode(backend, poPortrait));
    ASSERT_EQ(caps.LogPixelsX, 600);
    TBitmap bitmap(caps.PhysicalWidth, caps.PhysicalHeight);
    bitmap.Canvas()->SetDeviceCaps(caps);
    link->PaintPage(*bitmap.Canvas(), PaperRect(caps), 1, 1, 100);

    RunTool("pdftoppm", {"-r", "600", "-gray", "-f", "2", "-l", "2", "-singlefile", QString::fromStdString(file),
                         QString::fromStdString(dir.File("seite"))});
    const GrayImage rendered = ReadPgm(dir.File("seite.pgm"));
    // The PDF's points round to a pixel or two less at 600 per inch.
    ASSERT_LE(std::abs(rendered.Width - bitmap.Width()), 3);
    ASSERT_LE(std::abs(rendered.Height - bitmap.Height()), 3);

    const std::string boxes = RunTool("pdftotext", {"-bbox", "-f", "2", "-l", "2", QString::fromStdString(file), "-"});
    static const std::regex wordRe(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
    int compared = 0;
    for (auto it = std::sregex_iterator(boxes.begin(), boxes.end(), wordRe); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        const double k = 600.0 / 72.0;
        const TRect box{static_cast<int>(std::stod(m[1]) * k) - 6, static_cast<int>(std::stod(m[2]) * k) - 6,
                        static_cast<int>(std::stod(m[3]) * k) + 6, static_cast<int>(std::stod(m[4]) * k) + 6};
        const TRect inPdf = InkBox([&](int X, int Y) { return rendered.Ink(X, Y); }, box);
        const TRect onBitmap = InkBox([&](int X, int Y) { return BitmapInk(bitmap, X, Y); }, box);
        ASSERT_FALSE(inPdf.IsEmpty()) << m[5];
        EXPECT_LE(std::abs(inPdf.Left - onBitmap.Left), 1) << m[5];
        EXPECT_LE(std::abs(inPdf.Top - onBitmap.Top), 1) << m[5];
        EXPECT_LE(std::abs(inPdf.Right - onBitmap.Right), 1) << m[5];
        EXPECT_LE(std::abs(inPdf.Bottom - onBitmap.Bottom), 1) << m[5];
        ++compared;
    }
    EXPECT_GE(compared, 95);   // rows, header and footer cells, title, date and footer words
}

} // namespace
} // namespace qel
