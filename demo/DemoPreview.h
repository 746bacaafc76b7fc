#pragma once
#include "platform/controls/Forms.h"
#include "platform/data/DataSet.h"

#include <memory>
#include <string>

namespace qel::demo {

// The access-matrix report in a page preview window: a hundred pages, each
// drawn by the hand-drawn report page (DrawAccessMatrixPage) with its page
// number, until the report engine paints them. Saves pictures into OutDir:
// preview-100.png (100 %, the selected page with its margins),
// preview-page-width.png, preview-2x2.png and preview-10.png (10 %, about a
// hundred pages). Answers the window (owned by the caller) so that a run
// with a display can show it.
std::unique_ptr<TForm> MakeAccessMatrixPreview(const std::string& Title, TDataSet& Matrix, const std::string& OutDir);

} // namespace qel::demo
