#pragma once
#include "demo/DemoConfig.h"

#include <string>

namespace qel::demo {

// Draws the access matrix of `config` as one A4 page of text, lines and a
// table grid into a PDF file.
void WriteAccessMatrixPdf(const std::string& fileName, TConfiguration& config);

} // namespace qel::demo
