#pragma once
// Files and arguments named in UTF-8 on every system. Windows hands a
// program its arguments, and opens files, in the ANSI code page unless asked
// for the wide forms, which loses any name outside it.

#include <cstdio>
#include <string>
#include <vector>

namespace tarvin {

// The command line in UTF-8 (argv as given elsewhere).
std::vector<std::string> Utf8Arguments(int argc, char** argv);
// fopen() of a path in UTF-8.
std::FILE* OpenFile(const std::string& path, const char* mode);
void RemoveFile(const std::string& path);
// Moves `from` over `to`, replacing it: Windows' rename() refuses an
// existing target, and a report is written again under the same name.
bool MoveOver(const std::string& from, const std::string& to);

} // namespace tarvin
