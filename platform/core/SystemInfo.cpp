#include "platform/core/SystemInfo.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdlib>

namespace qel {

std::string GetUserName() {
  if (const passwd* pw = getpwuid(geteuid()); pw != nullptr && pw->pw_name != nullptr)
    return pw->pw_name;
  // Containers often run with an id that has no passwd entry.
  if (const char* name = std::getenv("USER"); name != nullptr) return name;
  return {};
}

std::string GetComputerName() {
  std::array<char, 256> buffer{};
  if (gethostname(buffer.data(), buffer.size() - 1) != 0) return {};
  return buffer.data();
}

}  // namespace qel
