#pragma once
// The pages a print job prints, in print order, as plain data: the page
// list, reordered for printing down then across, filtered for odd or even
// pages and repeated for the copies. The component printer's print loop
// walks the result and adds only the device calls and the events.
//
//   dxPageSequence({{1, 2, 3}, 3, ppnAll, 2, false});   // 1, 1, 2, 2, 3, 3
//   dxPageSequence({{1, 2, 3}, 3, ppnAll, 2, true});    // 1, 2, 3, 1, 2, 3
#include <cstdint>
#include <vector>

namespace qel {

// The print dialog's "Number of Pages" choice.
enum TdxPrintPageNums : std::uint8_t { ppnAll, ppnEven, ppnOdd };

struct TdxPageSequenceParams {
    // Page numbers (1-based) in the order listed.
    std::vector<int> Pages;
    // Numbers outside 1 .. PageCount are left out.
    int PageCount = 0;
    // Kept by the page's own number, not by its place in the list.
    TdxPrintPageNums PageNums = ppnAll;
    // Below 1: one copy.
    int Copies = 1;
    // Collated: the whole list once per copy; else each page Copies times.
    bool Collate = false;
};

std::vector<int> dxPageSequence(const TdxPageSequenceParams& Params);

// The pages column by column of the page grid, each column top to bottom.
// Places[n - 1] is page n's place on the grid (row * Across + column); a
// page without a place keeps its position after the others.
std::vector<int> dxPagesDownThenAcross(const std::vector<int>& Pages, const std::vector<int>& Places, int Across);

// The page total the progress of a job counts with: list positions times
// copies, halved for even pages and halved rounding up for odd ones.
int dxPrintProgressTotal(int Positions, int Copies, TdxPrintPageNums PageNums);

} // namespace qel
