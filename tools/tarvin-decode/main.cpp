// tarvin-decode: describes bus lines read from standard input, one output
// line per input line, with the same decoder the workbench uses; and counts
// a capture's traffic as the analyser does.

#include "core/decode/decode.h"
#include "core/decode/hex.h"
#include "core/decode/interpret.h"
#include "line_reader.h"
#include "statistics.h"
#include "system_files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

constexpr int kUsageError = 2;
constexpr std::size_t kChunk = 1 << 20;

const char kHelp[] =
    "Usage: tarvin-decode [--options N] [--hex] [--interface-options HH] [--escape]\n"
    "       tarvin-decode --interpret [--hex] [--interface-options HH] [--escape]\n"
    "       tarvin-decode --application-support [--hex]\n"
    "       tarvin-decode --statistics [--json] [--mode all-monitor|default]\n"
    "                     [--report FILE.htm] [FILE]\n"
    "\n"
    "Reads bus lines from standard input and writes one line per input line:\n"
    "the description of the line, or an empty line when it has none. Input\n"
    "lines lose their line feed and any carriage returns before it; every\n"
    "other byte reaches the decoder unchanged, and output bytes are written\n"
    "as they are (Latin-1 both ways).\n"
    "\n"
    "  --options N             decode option word, 0..31 (default 8): 1 source\n"
    "                          unit, 2 network, 4 application, 8 message, 16 the\n"
    "                          line is an outbound command\n"
    "  --hex                   show numbers in hexadecimal (default decimal)\n"
    "  --interface-options HH  interface options copy as two hexadecimal digits\n"
    "                          (default 00); bit 40 (IDMON, as in 40 or 51) means\n"
    "                          CAL messages carry a header\n"
    "  --escape                keep one output line per input line whatever the\n"
    "                          description holds: backslash is written \\\\, tab \\t,\n"
    "                          line feed \\n, carriage return \\r, and every other\n"
    "                          byte outside 20..7E as \\xHH\n"
    "  --interpret             treat each line as typed into Interpret Command and\n"
    "                          print what its message box would show (\"Message =\n"
    "                          ...\" or \"Message could not be decoded\"); a line that\n"
    "                          is blank prints an empty line; --options is ignored\n"
    "  --application-support   print the list of supported applications and exit\n"
    "  --statistics            read a capture (FILE, or standard input) in any of\n"
    "                          its forms, text, CSV or plain wire lines, and print\n"
    "                          the traffic analyser's totals for its received\n"
    "                          lines; sent lines and markers are never counted,\n"
    "                          and lines that cannot be read are counted on\n"
    "                          standard error\n"
    "  --json                  print the totals as one JSON object\n"
    "  --mode MODE             all-monitor: count as the analyser does while the\n"
    "                          interface passes all traffic on; default: a line\n"
    "                          whose checksum fails is an error. Without it the\n"
    "                          capture's header says which, else all-monitor\n"
    "  --report FILE.htm       also write the analyser's HTML report (without\n"
    "                          the chart picture)\n"
    "  -h, --help              show this help and exit\n"
    "\n"
    "Exit status: 0 on success, 1 on a read or write error, 2 on a bad option.\n";

struct Settings
{
    int options = tarvin::ShowMessage;
    tarvin::DecodeContext context;
    bool escape = false;
    bool interpret = false;
    bool applicationSupport = false;
    bool statistics = false;
    tarvin::StatisticsOptions counting;
};

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "tarvin-decode: %s\nTry 'tarvin-decode --help'.\n", message.c_str());
    return kUsageError;
}

bool ParseOptionWord(std::string_view text, int& value)
{
    if (text.empty() || text.size() > 2)
        return false;
    int n = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9')
            return false;
        n = n * 10 + (ch - '0');
    }
    if (n > 31)
        return false;
    value = n;
    return true;
}

class Output
{
public:
    explicit Output(bool escape) : m_escape(escape) { m_buffer.reserve(kChunk + 4096); }

    void Line(std::string_view text)
    {
        if (m_escape)
            AppendEscaped(text);
        else
            m_buffer.append(text);
        m_buffer.push_back('\n');
        if (m_buffer.size() >= kChunk)
            Flush();
    }

    bool Flush()
    {
        if (!m_buffer.empty() &&
            std::fwrite(m_buffer.data(), 1, m_buffer.size(), stdout) != m_buffer.size())
            m_ok = false;
        m_buffer.clear();
        return m_ok;
    }

    bool Finish() { return Flush() && std::fflush(stdout) == 0 && m_ok; }

private:
    void AppendEscaped(std::string_view text)
    {
        static const char kDigits[] = "0123456789ABCDEF";
        for (char ch : text) {
            const auto byte = static_cast<unsigned char>(ch);
            switch (ch) {
            case '\\':
                m_buffer += "\\\\";
                break;
            case '\t':
                m_buffer += "\\t";
                break;
            case '\n':
                m_buffer += "\\n";
                break;
            case '\r':
                m_buffer += "\\r";
                break;
            default:
                if (byte >= 0x20 && byte <= 0x7E) {
                    m_buffer.push_back(ch);
                } else {
                    m_buffer += "\\x";
                    m_buffer.push_back(kDigits[byte >> 4]);
                    m_buffer.push_back(kDigits[byte & 0xF]);
                }
                break;
            }
        }
    }

    std::string m_buffer;
    bool m_escape = false;
    bool m_ok = true;
};

int Run(const Settings& settings)
{
    Output output(settings.escape);
    if (settings.applicationSupport) {
        std::string text = tarvin::ApplicationSupportText(settings.context.hexNumbers);
        for (char& ch : text)
            if (ch == '\r')
                ch = '\n';
        output.Line(text);
        return output.Finish() ? 0 : 1;
    }

    tarvin::Decoder decoder;
    std::string description;
    // Output is buffered: one write per megabyte.
    auto handle = [&](std::string_view line) {
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (settings.interpret) {
            output.Line(tarvin::InterpretCommandText(line, settings.context, decoder));
        } else {
            decoder.DecodeMessageInto(line, settings.options, settings.context, description);
            output.Line(description);
        }
    };

    if (!tarvin::ForEachLine(stdin, handle)) {
        output.Finish();
        std::fprintf(stderr, "tarvin-decode: error reading standard input\n");
        return 1;
    }
    if (!output.Finish()) {
        std::fprintf(stderr, "tarvin-decode: error writing standard output\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Bytes in and out as they are: text mode would turn LF into CR LF on
    // the way out, and CR LF into LF and Ctrl+Z into the end on the way in.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::vector<std::string> arguments = tarvin::Utf8Arguments(argc, argv);
    const int count = static_cast<int>(arguments.size());
    Settings settings;
    for (int i = 1; i < count; ++i) {
        std::string_view arg = arguments[i];
        std::string_view value;
        bool hasValue = false;
        if (const std::size_t eq = arg.find('=');
            arg.substr(0, 2) == "--" && eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (hasValue)
                return true;
            if (i + 1 >= count)
                return false;
            value = arguments[++i];
            return true;
        };
        if (arg == "-h" || arg == "--help") {
            if (hasValue)
                return UsageError("option '--help' takes no value");
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (arg == "--options") {
            if (!takeValue())
                return UsageError("option '--options' needs a value");
            if (!ParseOptionWord(value, settings.options))
                return UsageError("bad option word '" + std::string(value) +
                                  "': expected a decimal number from 0 to 31");
        } else if (arg == "--interface-options") {
            if (!takeValue())
                return UsageError("option '--interface-options' needs a value");
            if (value.size() != 2 || !tarvin::IsHexString(value))
                return UsageError("bad interface options '" + std::string(value) +
                                  "': expected two hexadecimal digits");
            settings.context.interfaceOptions =
                static_cast<std::uint8_t>(tarvin::HexToNumber(value));
        } else if (arg == "--mode") {
            if (!takeValue())
                return UsageError("option '--mode' needs a value");
            settings.counting.mode = tarvin::ParseCountingMode(value);
            if (!settings.counting.mode)
                return UsageError("bad mode '" + std::string(value) +
                                  "': expected all-monitor or default");
        } else if (arg == "--report") {
            if (!takeValue() || value.empty())
                return UsageError("option '--report' needs a file name");
            settings.counting.report = std::string(value);
        } else if (hasValue) {
            return UsageError("option '" + std::string(arg) + "' takes no value");
        } else if (arg == "--hex") {
            settings.context.hexNumbers = true;
        } else if (arg == "--escape") {
            settings.escape = true;
        } else if (arg == "--interpret") {
            settings.interpret = true;
        } else if (arg == "--application-support") {
            settings.applicationSupport = true;
        } else if (arg == "--statistics") {
            settings.statistics = true;
        } else if (arg == "--json") {
            settings.counting.json = true;
        } else if (arg.substr(0, 1) != "-" && settings.counting.input.empty()) {
            settings.counting.input = std::string(arg);
        } else {
            return UsageError("unknown argument '" + std::string(arg) + "'");
        }
    }
    if (settings.interpret && settings.applicationSupport)
        return UsageError("--interpret and --application-support exclude each other");
    if (settings.statistics) {
        if (settings.interpret || settings.applicationSupport)
            return UsageError("--statistics excludes --interpret and --application-support");
        return tarvin::RunStatistics(settings.counting);
    }
    if (settings.counting.json || settings.counting.mode || !settings.counting.report.empty())
        return UsageError("--json, --mode and --report go with --statistics");
    if (!settings.counting.input.empty())
        return UsageError("unknown argument '" + settings.counting.input +
                          "' (a file is read only with --statistics)");
    return Run(settings);
}
