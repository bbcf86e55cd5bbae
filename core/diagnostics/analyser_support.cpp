#include "core/diagnostics/analyser_support.h"

#include "core/diagnostics/unit_type.h"

namespace tarvin {

namespace {

std::string JoinPath(std::string folder, std::string_view name)
{
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    if (folder.empty())
        return std::string(name);
    if (folder.back() != '/' && folder.back() != '\\')
        folder += '/';
    return folder + std::string(name);
}

} // namespace

std::string IniFilePath(const IniLocationInput& input)
{
    if (!input.overridePath.empty())
        return input.overridePath;
    if (input.windows)
        return JoinPath(input.windowsFolder.empty() ? "C:/Windows" : input.windowsFolder,
                        kIniFileName);
    // The first non-empty entry of the list is the most important one.
    std::string_view dirs = input.xdgConfigDirs;
    while (!dirs.empty()) {
        const std::size_t colon = dirs.find(':');
        const std::string_view entry = dirs.substr(0, colon);
        if (!entry.empty())
            return JoinPath(std::string(entry), kIniFileName);
        if (colon == std::string_view::npos)
            break;
        dirs.remove_prefix(colon + 1);
    }
    return JoinPath("/etc/xdg", kIniFileName);
}

} // namespace tarvin
