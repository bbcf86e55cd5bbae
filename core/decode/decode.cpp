#include "decode/decode.h"

#include "decode/hex.h"

namespace tarvin {

std::string Decoder::DecodeMessage(std::string_view text, int options, const DecodeContext& context)
{
    (void)options;
    (void)context;
    std::string line(text);
    if (line.size() > 1 && line[0] == '@')
        line = "\\060000" + line.substr(1);
    if (line.size() > 1 && line[0] == '\\')
        line.erase(0, 1);

    if (!IsHexString(line)) {
        if (line.find('!') != std::string::npos)
            return "Checksum Error";
        if (line.size() == 2 && line[0] >= 'g' && line[0] <= 'z') {
            switch (line[1]) {
            case '.':
                return "OK";
            case '#':
                return "No Acknowledgement";
            case '$':
                return "Corrupted Transmission";
            case '%':
                return "No Tarvin Clock";
            default:
                return {};
            }
        }
        return {};
    }
    // Hexadecimal messages are described by the application decoders.
    m_buffer.length = 0;
    return {};
}

std::string DecodeMessage(std::string_view text, int options, const DecodeContext& context)
{
    Decoder decoder;
    return decoder.DecodeMessage(text, options, context);
}

} // namespace tarvin
