// A grouped grid printed through the grid report link into a PDF file and
// read back by pdftotext.
#include "printing/DBGridReportLink.h"

#include "dbgrid/GridTestSupport.h"

#include "PdfPrinting.h"
#include "PdfTools.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace qel {
namespace {

// Grouped by a text column: each group row's text once, before its records.
TEST(DBGridReportPdf, GroupRowsComeOnceBeforeTheirRecords)
{
    test::GridFixture f(120);
    f.grid->ColumnByFieldName("AREA")->SetGroupIndex(0);
    f.grid->FullExpand();
    TdxDBGridReportLink link(f.owner.get());
    link.PrinterPage()->SetMeasurementUnits(muMillimeters);
    link.PrinterPage()->SetDMPaper(9);
    link.SetComponent(f.grid);
    link.SetActive(true);
    ASSERT_GT(link.GetPageCount(), 1);
    test::TempDir dir;
    const std::string file = dir.File("grouped.pdf");
    test::PrintToPdf(link, file);
    ASSERT_EQ(test::PdfPageCount(file), link.GetPageCount());

    // The document's lines in order; a record line starts with its number.
    std::string current;   // the group the lines belong to
    std::map<std::string, int> groups;
    std::map<int, std::string> groupOf;
    for (int page = 1; page <= link.GetPageCount(); ++page) {
        std::istringstream in(test::PdfPageText(file, page));
        for (std::string line; std::getline(in, line);) {
            const std::string text = test::Squeezed(line);
            if (text.rfind("AREA :", 0) == 0) {
                current = text;
                ++groups[text];
                continue;
            }
            const std::vector<std::string> words = test::Words(text);
            if (words.size() >= 3 && words[1] == "Door" && words[0] == words[2])
                groupOf[std::stoi(words[0])] = current;
        }
    }
    ASSERT_EQ(groups.size(), 4u);   // Null, East, North, South
    for (const auto& [text, count] : groups)
        EXPECT_EQ(count, 1) << text;
    ASSERT_EQ(groupOf.size(), 120u);
    static const char* const areas[] = {"North", "", "South", "North", "East"};
    for (const auto& [number, group] : groupOf) {
        const std::string area = areas[(number - 1) % 5];
        EXPECT_EQ(group, area.empty() ? "AREA :" : "AREA : " + area) << number;
    }
}

} // namespace
} // namespace qel
