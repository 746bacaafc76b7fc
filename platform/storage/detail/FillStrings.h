#pragma once
// Hands a list of names or lines to a caller's TStrings in one update.
#include "platform/core/Guards.h"
#include "platform/core/Strings.h"

#include <string>
#include <vector>

namespace qel::detail {

// Strings is cleared first; its watchers see one change.
inline void FillStrings(TStrings& strings, const std::vector<std::string>& lines)
{
    TUpdateScope update(strings);
    strings.Clear();
    for (const std::string& line : lines)
        strings.Add(line);
}

} // namespace qel::detail
