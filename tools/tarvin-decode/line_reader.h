#pragma once
// Lines of a file read in large pieces: the one reading loop of tarvin-decode.

#include <cstdio>
#include <functional>
#include <string_view>

namespace tarvin {

// Calls `line` for every line of `in`, without its line feed (a last line
// without one included); false on a read error.
bool ForEachLine(std::FILE* in, const std::function<void(std::string_view)>& line);

} // namespace tarvin
