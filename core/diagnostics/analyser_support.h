#pragma once
// Where the installation software's settings file lives.

#include <string>
#include <string_view>

namespace tarvin {

// Where "tarvin.ini" is read and written. In order: an explicit override
// (the TARVIN_INI environment variable), the Windows folder on Windows, else
// the first entry of the XDG system configuration list (XDG_CONFIG_DIRS,
// colon-separated) and "/etc/xdg" when that list is empty.
struct IniLocationInput
{
    std::string overridePath; // TARVIN_INI
    bool windows = false;
    std::string windowsFolder; // %WINDIR%
    std::string xdgConfigDirs; // $XDG_CONFIG_DIRS
};
std::string IniFilePath(const IniLocationInput& input);

} // namespace tarvin
