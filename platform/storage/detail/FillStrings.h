#pragma once
// Hands a list of names or lines to a caller's TStrings in one update.
#include "platform/core/Guards.h"
#include "platform/core/Strings.h"

#include <string>
#include <vector>

namespace qel::detail {

// Strings is cleared first; its watchers see one change.
inline void FillStrings(TStrings& Strings, const std::vector<std::string>& Lines)
{
    TUpdateScope update(Strings);
    Strings.Clear();
    for (const std::string& line : Lines)
        Strings.Add(line);
}

} // namespace qel::detail
