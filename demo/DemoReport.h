#pragma once
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"

#include <string>

namespace qel::demo {

// Draws the access matrix (the records of `Matrix`: a "Connector" title and
// one Boolean field per box) as one A4 page of text, lines and a table grid
// into a PDF file.
void WriteAccessMatrixPdf(const std::string& FileName, const std::string& Title, TDataSet& Matrix);

} // namespace qel::demo
