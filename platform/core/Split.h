#pragma once
// The one string splitter. Every piece is returned, empty ones included, so
// callers decide what an empty piece means ("A;;B", a trailing ';').
#include <string>
#include <string_view>
#include <vector>

namespace qel {

// Splits at every occurrence of `Separator` (a non-empty text). An empty
// text gives one empty piece; an empty separator gives the text whole.
std::vector<std::string> SplitString(std::string_view Text, std::string_view Separator);
// As above at one character.
std::vector<std::string> SplitString(std::string_view Text, char Separator);

}  // namespace qel
