#pragma once
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/graphics/Canvas.h"

#include <string>

namespace qel::demo {

// Draws the access matrix (the records of `Matrix`: a "Connector" title and
// one Boolean field per box) as one A4 page of text, lines and a table grid
// into a PDF file.
void WriteAccessMatrixPdf(const std::string& FileName, const std::string& Title, TDataSet& Matrix);

// The same page onto any canvas, fitted into Rect (device pixels), with
// "Seite N von M" at its foot when a page number is given. The page
// preview draws its pages with it until the report engine paints them.
void DrawAccessMatrixPage(TCanvas& Canvas, const TRect& Rect, const std::string& Title, TDataSet& Matrix,
                          int PageNumber = 0, int PageCount = 0);

} // namespace qel::demo
