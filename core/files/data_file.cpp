#include "core/files/data_file.h"

#include "core/files/text_lines.h"

#include <cctype>

namespace tarvin {

namespace {

constexpr std::string_view kVersionLine = "File Version 1.0";

// The part after the last folder separator; both kinds are accepted so a
// name typed the other way round still works.
std::string_view FileNamePart(std::string_view path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string DefaultUserCaption(int number)
{
    return "User " + std::to_string(number);
}

UserButtonSet DefaultUserButtons()
{
    UserButtonSet buttons;
    for (int n = 0; n < kUserButtonCount; ++n)
        buttons[static_cast<std::size_t>(n)].caption = DefaultUserCaption(n + 1);
    return buttons;
}

std::string DataFileText(std::string_view applicationTitle, const UserButtonSet& buttons)
{
    std::string text;
    const auto line = [&text](std::string_view s) {
        text.append(s);
        text.append("\r\n");
    };
    line(std::string(applicationTitle) + " File");
    line(kVersionLine);
    for (const UserButtonData& b : buttons) {
        line(b.caption);
        line(b.command);
    }
    return text;
}

UserButtonSet ParseDataFile(std::string_view text)
{
    const std::vector<std::string> lines = SplitTextLines(text);
    UserButtonSet buttons = DefaultUserButtons();
    std::size_t next = 2; // title and version are not checked
    for (UserButtonData& b : buttons) {
        if (next < lines.size())
            b.caption = lines[next];
        ++next;
        if (next < lines.size())
            b.command = lines[next];
        ++next;
    }
    return buttons;
}

std::string WithDataFileExtension(std::string_view path)
{
    std::string result(path);
    if (FileNamePart(path).find('.') == std::string_view::npos)
        result += ".wbd";
    return result;
}

std::string DataFileCaption(std::string_view applicationTitle, std::string_view path, int blanks)
{
    std::string name(FileNamePart(path));
    for (char& ch : name)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return std::string(applicationTitle) + std::string(static_cast<std::size_t>(blanks), ' ') +
           "[" + name + "]";
}

} // namespace tarvin
