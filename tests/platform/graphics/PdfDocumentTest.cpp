// PDF files as a page target, checked with poppler's tools when installed.
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/PdfDocument.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace qel {
namespace {

bool HaveTool(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string RunCommand(const std::string& command)
{
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return out;
    std::array<char, 512> buf{};
    while (fgets(buf.data(), int(buf.size()), pipe.get()))
        out += buf.data();
    return out;
}

TEST(PdfDocumentTest, WritesAValidPagedPdfWithText)
{
    test::TempDir dir;
    const std::string path = dir.File("report.pdf");
    TPdfDocument pdf(path);
    pdf.SetTitle("Access matrix");
    pdf.SetPageSize(2100, 2970);
    EXPECT_EQ(pdf.Canvas(), nullptr);
    pdf.BeginDoc();
    TCanvas* c = pdf.Canvas();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetDeviceCaps(TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(c->GetDeviceCaps(LOGPIXELSX), 600);
    EXPECT_NEAR(c->GetDeviceCaps(HORZRES), 4961, 5);     // 210 mm at 600 dpi (whole points)
    EXPECT_EQ(c->GetDeviceCaps(HORZSIZE), 210);
    EXPECT_EQ(c->Font()->Height(), -67);                 // 8 points at 600 dpi
    c->Font()->SetName("Arial");
    // Screen and paper measure alike: 625 printer pixels are 100 screen pixels.
    c->Font()->SetHeight(-625);
    TBitmap screen(10, 10);
    screen.Canvas()->Font()->SetName("Arial");
    screen.Canvas()->Font()->SetHeight(-100);
    const std::string sample = "Quarterly totals, 2024";
    EXPECT_NEAR(c->TextWidth(sample), screen.Canvas()->TextWidth(sample) * 6.25, 3);
    c->Font()->SetSize(12);
    c->TextOut(600, 600, "Hello PDF");
    c->Rectangle(500, 500, 2500, 900);
    // A report-style isotropic mapping on the second page.
    pdf.NewPage();
    c->SetMapMode(MM_ISOTROPIC);
    c->SetWindowExt(9600, 9600);
    c->SetViewportExt(600, 600);
    c->Font()->SetHeight(-1600);
    TRect r{1000, 1000, 60000, 5000};
    c->DrawText("Second page", r, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(pdf.PageNumber(), 2);
    // Nothing is on disk before the document ends.
    EXPECT_FALSE(std::filesystem::exists(path));
    pdf.EndDoc();
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(test::ReadFileBytes(path).substr(0, 5), "%PDF-");
    EXPECT_THROW(pdf.NewPage(), EPrinter);

    if (!HaveTool("pdfinfo") || !HaveTool("pdftotext"))
        GTEST_SKIP() << "poppler-utils not installed";
    const std::string info = RunCommand("pdfinfo '" + path + "'");
    EXPECT_NE(info.find("Pages:           2\n"), std::string::npos) << info;
    EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
    EXPECT_NE(info.find("Access matrix"), std::string::npos) << info;
    const std::string text = RunCommand("pdftotext '" + path + "' -");
    EXPECT_NE(text.find("Hello PDF"), std::string::npos) << text;
    EXPECT_NE(text.find("Second page"), std::string::npos) << text;
}

TEST(PdfDocumentTest, AbortAndFailedWritesLeaveNoFile)
{
    test::TempDir dir;
    {
        TPdfDocument pdf(dir.File("aborted.pdf"));
        pdf.BeginDoc();
        EXPECT_THROW(pdf.BeginDoc(), EPrinter);
        pdf.Canvas()->TextOut(0, 0, "x");
        pdf.Abort();
        EXPECT_FALSE(pdf.Printing());
    }
    {
        TPdfDocument pdf(dir.File("dropped.pdf"));
        pdf.BeginDoc();
    }   // destroyed without EndDoc
    EXPECT_FALSE(std::filesystem::exists(dir.File("aborted.pdf")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("dropped.pdf")));
    TPdfDocument bad(dir.File("no/such/dir/x.pdf"));
    bad.BeginDoc();
    EXPECT_THROW(bad.EndDoc(), EStreamError);
    EXPECT_FALSE(bad.Printing());
    EXPECT_THROW(bad.SetPageSize(0, 100), EPrinter);
}

} // namespace
} // namespace qel
