#pragma once
#include "platform/controls/Forms.h"

#include <string>

namespace qel::demo {

// Writes the access matrix grid of the window (component "AccessMatrix") as
// worksheet, HTML page, tab-separated text and XML with its stylesheet into
// OutDir, every row, as the export window does; prints where they went.
void WriteAccessMatrixExports(TForm& Window, const std::string& OutDir);

} // namespace qel::demo
