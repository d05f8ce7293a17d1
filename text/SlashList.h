#pragma once
// Lists of extension keys joined by "/", such as "TXT/INI/INF".
#include <string>
#include <string_view>
#include <vector>

namespace imvexa {

// The keys of a slash list in their order, each trimmed of leading and
// trailing characters 0-32; pieces empty after trimming are skipped. Letter
// case is kept: keys compare case-sensitively.
std::vector<std::string> SlashListKeys(std::string_view list);

}  // namespace imvexa
