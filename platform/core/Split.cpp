#include "platform/core/Split.h"

namespace qel {

std::vector<std::string> SplitString(std::string_view Text, std::string_view Separator)
{
    std::vector<std::string> out;
    if (Separator.empty()) {
        out.emplace_back(Text);
        return out;
    }
    std::size_t from = 0;
    for (std::size_t at = Text.find(Separator); at != std::string_view::npos; at = Text.find(Separator, from)) {
        out.emplace_back(Text.substr(from, at - from));
        from = at + Separator.size();
    }
    out.emplace_back(Text.substr(from));
    return out;
}

std::vector<std::string> SplitString(std::string_view Text, char Separator)
{
    return SplitString(Text, std::string_view(&Separator, 1));
}

}  // namespace qel
