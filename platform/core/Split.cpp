#include "platform/core/Split.h"

namespace qel {

std::vector<std::string> SplitString(std::string_view text, std::string_view separator)
{
    std::vector<std::string> out;
    if (separator.empty()) {
        out.emplace_back(text);
        return out;
    }
    std::size_t from = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, from)) {
        out.emplace_back(text.substr(from, at - from));
        from = at + separator.size();
    }
    out.emplace_back(text.substr(from));
    return out;
}

std::vector<std::string> SplitString(std::string_view text, char separator)
{
    return SplitString(text, std::string_view(&separator, 1));
}

}  // namespace qel
