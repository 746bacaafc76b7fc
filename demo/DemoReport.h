#pragma once
#include "platform/data/DataSet.h"

#include <string>

namespace qel {
class TBasedxReportLink;
class TdxDBGridReportLink;
}

namespace qel::demo {

struct TReportFacts {
    int Pages = 0;
    int PagesAcross = 0;
    int PagesDown = 0;
};

// Prints the access matrix (the records of Matrix) through the grid report
// link into a PDF file through the PDF file printer: A4 portrait at scale
// 100, or fitted to one page wide; bands and headers on every page, the
// date at the top of each page and "Page N of M" at the bottom.
TReportFacts WriteAccessMatrixReport(TDataSet& Matrix, const std::string& FileName, bool FitOnePageWide = false);

// The main program's report settings on a grid link: A4 portrait at scale
// 100, or fitted to one page wide; bands and headers on every page, the date
// at the top of each page and "Page N of M" at the bottom.
void SetUpAccessMatrixReport(TdxDBGridReportLink& Link, bool FitOnePageWide = false);

// Prints every page of a built report into a PDF file through the PDF file printer.
void PrintReportToPdf(TBasedxReportLink& Link, const std::string& FileName, const std::string& Title);

} // namespace qel::demo
