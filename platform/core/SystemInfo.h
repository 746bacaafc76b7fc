#pragma once
// Who and where the program runs: the names header and footer texts print.
#include <string>

namespace qel {

// The login name of the user running the program; empty when it can't be told.
std::string GetUserName();
// The machine's host name; empty when it can't be told.
std::string GetComputerName();

}  // namespace qel
