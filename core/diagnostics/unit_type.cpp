#include "core/diagnostics/unit_type.h"

#include <vector>

#include "core/diagnostics/reply_fields.h"
#include "core/link/framing.h"

namespace tarvin {

std::string UnitTypeNameFromReply(std::string_view reply)
{
    return HexToPrintable(ReplyField(reply, 13, 16));
}

std::string ReadUnitTypeText(std::string_view name)
{
    return "Unit Type is \"" + std::string(name) + "\"";
}

bool IsUnitTypeCharacter(char ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

std::string PadUnitTypeText(std::string_view text)
{
    std::string padded(text.substr(0, kUnitTypeSuffixLength));
    padded.resize(kUnitTypeSuffixLength, ' ');
    return padded;
}

std::string NewUnitTypeName(std::string_view text)
{
    return kUnitTypePrefix + PadUnitTypeText(text);
}

bool CanSetUnitType(std::string_view currentName)
{
    return currentName.substr(0, 4) == kUnitTypePrefix;
}

bool UnitTypeWritten(std::string_view readBack, std::string_view newName)
{
    return readBack == newName;
}

std::string StoreUnitTypeCommand(std::string_view name)
{
    return "AAF700" + TextToHex(name);
}

namespace {

bool IsIniBlank(char ch)
{
    return ch == ' ' || ch == '\t';
}

std::string_view TrimIni(std::string_view text)
{
    while (!text.empty() && IsIniBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsIniBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

struct IniLine
{
    std::size_t begin = 0; // first character
    std::size_t end = 0;   // one past the last character before the line end
    std::size_t next = 0;  // start of the next line
    std::string_view content;
};

std::vector<IniLine> SplitLines(std::string_view text)
{
    std::vector<IniLine> lines;
    std::size_t p = 0;
    while (p < text.size()) {
        IniLine line;
        line.begin = p;
        std::size_t e = p;
        while (e < text.size() && text[e] != '\n' && text[e] != '\r')
            ++e;
        line.end = e;
        if (e < text.size() && text[e] == '\r')
            ++e;
        if (e < text.size() && text[e] == '\n')
            ++e;
        line.next = e;
        line.content = text.substr(line.begin, line.end - line.begin);
        lines.push_back(line);
        p = e;
    }
    return lines;
}

// The section name of a "[name]" line.
std::optional<std::string_view> SectionName(std::string_view content)
{
    const std::string_view trimmed = TrimIni(content);
    if (trimmed.empty() || trimmed.front() != '[')
        return std::nullopt;
    const std::size_t close = trimmed.find(']');
    return TrimIni(
        trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

struct SectionSpan
{
    std::size_t header = 0; // line index of the header
    std::size_t end = 0;    // line index after the section
};

std::optional<SectionSpan> FindSection(const std::vector<IniLine>& lines, std::string_view section)
{
    const std::string_view wanted = TrimIni(section);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i].content);
        if (!name || !SameName(*name, wanted))
            continue;
        std::size_t j = i + 1;
        while (j < lines.size() && !SectionName(lines[j].content))
            ++j;
        return SectionSpan{i, j};
    }
    return std::nullopt;
}

bool IsComment(std::string_view content)
{
    const std::string_view trimmed = TrimIni(content);
    return !trimmed.empty() && trimmed.front() == ';';
}

// Line index of the key in the section, if any.
std::optional<std::size_t> FindKey(const std::vector<IniLine>& lines, const SectionSpan& span,
                                   std::string_view key)
{
    const std::string_view wanted = TrimIni(key);
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        const std::string_view content = lines[i].content;
        const std::size_t equals = content.find('=');
        if (equals == std::string_view::npos || IsComment(content))
            continue;
        if (SameName(TrimIni(content.substr(0, equals)), wanted))
            return i;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> IniReadValue(std::string_view text, std::string_view section,
                                        std::string_view key)
{
    const std::vector<IniLine> lines = SplitLines(text);
    const auto span = FindSection(lines, section);
    if (!span)
        return std::nullopt;
    const auto index = FindKey(lines, *span, key);
    if (!index)
        return std::nullopt;
    const std::string_view content = lines[*index].content;
    return std::string(TrimIni(content.substr(content.find('=') + 1)));
}

std::optional<std::string> IniWriteValue(std::string_view text, std::string_view section,
                                         std::string_view key, std::string_view value)
{
    const std::vector<IniLine> lines = SplitLines(text);
    const auto span = FindSection(lines, section);
    if (!span)
        return std::nullopt;

    std::string out(text);
    if (const auto index = FindKey(lines, *span, key)) {
        const IniLine& line = lines[*index];
        const std::size_t valueStart = line.begin + line.content.find('=') + 1;
        out.replace(valueStart, line.end - valueStart, value);
        return out;
    }

    // A new entry goes after the section's last non-blank line, so blank
    // lines that separate it from the next section stay where they are.
    std::size_t last = span->header;
    for (std::size_t i = span->header + 1; i < span->end; ++i)
        if (!TrimIni(lines[i].content).empty())
            last = i;
    const IniLine& after = lines[last];
    std::string eol = std::string(text.substr(after.end, after.next - after.end));
    const std::string entry = std::string(TrimIni(key)) + "=" + std::string(value);
    if (eol.empty()) {
        // The last line of a file without a final line end.
        const std::size_t found = text.find('\n');
        eol = (found != std::string_view::npos && found > 0 && text[found - 1] == '\r') ? "\r\n"
              : found != std::string_view::npos                                         ? "\n"
                                                                                        : "\r\n";
        out.insert(after.end, eol + entry);
    } else {
        out.insert(after.next, entry + eol);
    }
    return out;
}

std::optional<std::string> CopyUnitTemplate(std::string_view iniText, std::string_view newName)
{
    const auto templateText = IniReadValue(iniText, kUnitTemplatesSection, kTemplateKey);
    if (!templateText || templateText->empty())
        return std::nullopt;
    return IniWriteValue(iniText, kUnitTemplatesSection, newName, *templateText);
}

} // namespace tarvin
