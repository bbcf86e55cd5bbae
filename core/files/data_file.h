#pragma once
// The data file of the user buttons (".wbd"): a title line, a version line,
// then caption and command text of buttons 1..9, one per line, CR LF ended.

#include <array>
#include <string>
#include <string_view>

namespace tarvin {

constexpr int kUserButtonCount = 9;

struct UserButtonData
{
    std::string caption;
    std::string command;
};

using UserButtonSet = std::array<UserButtonData, kUserButtonCount>;

// "User n" for n = 1..9.
std::string DefaultUserCaption(int number);
// Nine buttons as a fresh start has them.
UserButtonSet DefaultUserButtons();

// The 20 lines of the file, each ended by CR LF.
std::string DataFileText(std::string_view applicationTitle, const UserButtonSet& buttons);
// Reads the file's text: the first two lines are skipped unchecked; a file
// that ends early gives "User n" and an empty command for the rest.
UserButtonSet ParseDataFile(std::string_view text);

// The name as saved: ".wbd" appended when the file name has no extension.
std::string WithDataFileExtension(std::string_view path);
// The window caption for a data file: the title, `blanks` spaces, and the
// file name without its folder, in upper case, in brackets.
std::string DataFileCaption(std::string_view applicationTitle, std::string_view path, int blanks);

} // namespace tarvin
