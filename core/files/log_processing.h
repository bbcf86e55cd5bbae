#pragma once
// Turning a command log back into a script, and reading a script.

#include <optional>
#include <string>
#include <string_view>

namespace tarvin {

// The script line that one command log line yields: the text from the first
// "\" up to the character before the first "<" (to the end when "<" is the
// line's first character; nothing when there is no "<"), blanks trimmed at
// both ends. No line at all when the log line holds no "\".
std::optional<std::string> ScriptLineFromLogLine(std::string_view logLine);

// The whole "execute.txt" text for a command log text, CR LF ended lines.
std::string ScriptFromCommandLog(std::string_view logText);

enum class ScriptLineKind
{
    Comment, // holds "#" anywhere: shown in the log, not sent
    Empty,   // skipped
    Command, // sent as it stands
};

ScriptLineKind ClassifyScriptLine(std::string_view line);

} // namespace tarvin
