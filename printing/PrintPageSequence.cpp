#include "printing/PrintPageSequence.h"

#include <algorithm>
#include <climits>
#include <cstddef>

namespace qel {

namespace {

bool Passes(int Page, const TdxPageSequenceParams& Params)
{
    if (Page < 1 || Page > Params.PageCount)
        return false;
    switch (Params.PageNums) {
    case ppnEven: return Page % 2 == 0;
    case ppnOdd: return Page % 2 == 1;
    default: return true;
    }
}

} // namespace

std::vector<int> dxPageSequence(const TdxPageSequenceParams& Params)
{
    std::vector<int> kept;
    for (int page : Params.Pages)
        if (Passes(page, Params))
            kept.push_back(page);
    const int copies = std::max(1, Params.Copies);
    std::vector<int> sequence;
    sequence.reserve(kept.size() * static_cast<std::size_t>(copies));
    if (Params.Collate || copies == 1) {
        for (int c = 0; c < copies; ++c)
            sequence.insert(sequence.end(), kept.begin(), kept.end());
    } else {
        for (int page : kept)
            sequence.insert(sequence.end(), static_cast<std::size_t>(copies), page);
    }
    return sequence;
}

std::vector<int> dxPagesDownThenAcross(const std::vector<int>& Pages, const std::vector<int>& Places, int Across)
{
    if (Across < 1)
        return Pages;
    auto key = [&](int Page) {
        const bool placed = Page >= 1 && static_cast<std::size_t>(Page) <= Places.size() && Places[Page - 1] >= 0;
        if (!placed)
            return std::pair<int, int>{INT_MAX, INT_MAX};
        const int place = Places[static_cast<std::size_t>(Page - 1)];
        return std::pair<int, int>{place % Across, place / Across};
    };
    std::vector<int> ordered = Pages;
    std::stable_sort(ordered.begin(), ordered.end(), [&](int A, int B) { return key(A) < key(B); });
    return ordered;
}

int dxPrintProgressTotal(int Positions, int Copies, TdxPrintPageNums PageNums)
{
    const long long total = static_cast<long long>(std::max(0, Positions)) * std::max(1, Copies);
    long long result = total;
    if (PageNums == ppnEven)
        result = total / 2;
    else if (PageNums == ppnOdd)
        result = (total + 1) / 2;
    return static_cast<int>(std::min<long long>(result, INT_MAX));
}

} // namespace qel
