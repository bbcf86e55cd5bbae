#include "core/files/log_processing.h"

#include "core/files/text_lines.h"

namespace tarvin {

std::optional<std::string> ScriptLineFromLogLine(std::string_view logLine)
{
    const std::size_t s = logLine.find('\\');
    if (s == std::string_view::npos)
        return std::nullopt;
    // Positions counted from 0 here; `end` is one past the last kept one.
    const std::size_t lt = logLine.find('<');
    std::size_t end = 0;
    if (lt == std::string_view::npos)
        end = 0; // a line with no marker keeps nothing
    else if (lt == 0)
        end = logLine.size();
    else
        end = lt;
    if (end <= s)
        return std::string();
    return TrimText(logLine.substr(s, end - s));
}

std::string ScriptFromCommandLog(std::string_view logText)
{
    std::string script;
    for (const std::string& line : SplitTextLines(logText)) {
        if (const auto command = ScriptLineFromLogLine(line)) {
            script += *command;
            script += "\r\n";
        }
    }
    return script;
}

ScriptLineKind ClassifyScriptLine(std::string_view line)
{
    if (line.find('#') != std::string_view::npos)
        return ScriptLineKind::Comment;
    if (line.empty())
        return ScriptLineKind::Empty;
    return ScriptLineKind::Command;
}

} // namespace tarvin
