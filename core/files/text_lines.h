#pragma once
// Text files read line by line: a line ends at CR LF, LF or a lone CR, and a
// last line without an end still counts.

#include <string>
#include <string_view>
#include <vector>

namespace tarvin {

std::vector<std::string> SplitTextLines(std::string_view text);

// Blanks (and other control characters up to space) removed at both ends.
std::string TrimText(std::string_view text);

} // namespace tarvin
