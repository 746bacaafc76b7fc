// The main program's report of the access matrix, printed through the grid
// report link and the PDF file printer, read back by pdfinfo and pdftotext.
#include "demo/DemoConfig.h"
#include "demo/DemoData.h"
#include "demo/DemoReport.h"
#include "platform/core/Locale.h"

#include "PdfTools.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <regex>
#include <set>

namespace qel {
namespace {

using namespace demo;

struct Matrix {
    std::unique_ptr<TConfiguration> config{MakeSampleConfiguration(32, 128)};
    std::unique_ptr<TMemoryDataSet> data{MakeAccessMatrix(*config, nullptr)};
};

// The captions in the header line of a page: the first line after the
// page header's (the date printed).
std::vector<std::string> HeaderCaptions(const std::string& Page)
{
    std::istringstream in(Page);
    bool dated = false;
    for (std::string line; std::getline(in, line);) {
        if (test::Squeezed(line).empty())
            continue;
        if (dated)
            return test::Words(line);
        dated = true;
    }
    return {};
}

// The connectors' titles on a page: each row line starts with its number.
std::vector<std::string> RowTitles(const std::string& Page)
{
    static const std::regex row(R"(^\s*(\d+)\s+(\S+ \d+)\s+\d+\.\d+\.\d+\.\d+\s+\d+)");
    std::vector<std::string> out;
    std::istringstream in(Page);
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (std::regex_search(line, m, row))
            out.push_back(m[2]);
    }
    return out;
}

TEST(AccessMatrixReport, A4AtFullScaleSpreadsTheBoxesOverPageColumns)
{
    Matrix m;
    test::TempDir dir;
    const std::string file = dir.File("matrix.pdf");
    const TReportFacts facts = WriteAccessMatrixReport(*m.data, file);
    ASSERT_GT(facts.PagesAcross, 1);   // wider than A4 at 100 %
    ASSERT_EQ(facts.Pages, facts.PagesAcross * facts.PagesDown);
    const std::string info = test::RunTool("pdfinfo", {QString::fromStdString(file)});
    EXPECT_NE(info.find("595 x 842 pts"), std::string::npos) << info;
    EXPECT_EQ(test::PdfPageCount(file), facts.Pages);

    std::map<std::string, int> titles;
    std::vector<std::set<std::string>> columnsOf(static_cast<std::size_t>(facts.PagesAcross));
    for (int i = 0; i < facts.Pages; ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        const std::string text = test::PdfPageText(file, i + 1);
        EXPECT_EQ(test::LineWith(text, "Page "),
                  "Page " + std::to_string(i + 1) + " of " + std::to_string(facts.Pages));
        // Bands and headers repeat: each page of a page column shows its captions.
        const std::vector<std::string> captions = HeaderCaptions(text);
        ASSERT_FALSE(captions.empty());
        auto& column = columnsOf[static_cast<std::size_t>(i % facts.PagesAcross)];
        if (i < facts.PagesAcross)
            column.insert(captions.begin(), captions.end());
        else
            EXPECT_EQ(std::set<std::string>(captions.begin(), captions.end()), column);
        const bool first = i % facts.PagesAcross == 0;
        EXPECT_EQ(column.count("Connector"), first ? 1u : 0u);
        for (const std::string& t : RowTitles(text))
            ++titles[t];
    }
    // Every connector once; the boxes in order, each on one page column only.
    ASSERT_EQ(titles.size(), 128u);
    for (const auto& [title, count] : titles)
        EXPECT_EQ(count, 1) << title;
    int box = 0;
    for (const auto& column : columnsOf)
        for (int b = box + 1; column.count(std::to_string(b)); ++b)
            box = b;
    EXPECT_EQ(box, 32);
    std::size_t captions = 0;
    for (const auto& column : columnsOf)
        captions += column.size();
    EXPECT_EQ(captions, 4u + 32u);
}

TEST(AccessMatrixReport, FittedToOnePageWideEveryPageShowsEveryBox)
{
    Matrix m;
    test::TempDir dir;
    const std::string file = dir.File("narrow.pdf");
    const TReportFacts facts = WriteAccessMatrixReport(*m.data, file, true);
    EXPECT_EQ(facts.PagesAcross, 1);
    EXPECT_EQ(test::PdfPageCount(file), facts.Pages);
    for (int i = 0; i < facts.Pages; ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        const std::string text = test::PdfPageText(file, i + 1);
        const std::vector<std::string> captions = HeaderCaptions(text);
        const std::set<std::string> shown(captions.begin(), captions.end());
        for (int b = 1; b <= 32; ++b)
            EXPECT_EQ(shown.count(std::to_string(b)), 1u) << b;
        EXPECT_EQ(test::LineWith(text, "Page "),
                  "Page " + std::to_string(i + 1) + " of " + std::to_string(facts.Pages));
    }
}

} // namespace
} // namespace qel
