#include "core/decode/interpret.h"

#include "core/decode/applications.h"
#include "core/decode/hex.h"

namespace tarvin {

namespace {

constexpr int kTypedOutboundOptions = ShowApplication | ShowMessage;
constexpr int kTypedReceivedOptions = ShowUnit | ShowNetwork | ShowApplication | ShowMessage;
constexpr std::size_t kTypedOutboundLimit = 100;

bool IsBlankOrControl(char ch)
{
    return static_cast<unsigned char>(ch) <= 0x20;
}

void AppendApplicationLine(std::string& text, int application, bool hexNumbers)
{
    const std::string name = ApplicationName(application, hexNumbers);
    if (name.empty())
        return;
    text += "\r  ";
    text += NumberString(application, hexNumbers);
    text += "  ";
    text += name;
}

} // namespace

std::string InterpretCommandText(std::string_view typed, const DecodeContext& context,
                                 Decoder& decoder)
{
    while (!typed.empty() && IsBlankOrControl(typed.front()))
        typed.remove_prefix(1);
    while (!typed.empty() && IsBlankOrControl(typed.back()))
        typed.remove_suffix(1);
    if (typed.empty())
        return {};

    std::string description;
    if (typed.front() == '\\') {
        // Typed as it would be sent: give it a source unit after the header.
        // The last typed byte stands where the checksum would be.
        std::string text(typed.substr(1, 2));
        text += "00";
        if (typed.size() > 3)
            text.append(typed.substr(3, kTypedOutboundLimit));
        description = decoder.DecodeMessage(text, kTypedOutboundOptions, context);
    } else {
        description = decoder.DecodeMessage(typed, kTypedReceivedOptions, context);
    }
    if (description.empty())
        return "Message could not be decoded";
    return "Message = " + description;
}

std::string InterpretCommandText(std::string_view typed, const DecodeContext& context)
{
    Decoder decoder;
    return InterpretCommandText(typed, context, decoder);
}

std::string ApplicationSupportText(bool hexNumbers)
{
    std::string text = "Applications Supported by this version :";
    for (int application = 0x00; application <= 0x2F; ++application)
        AppendApplicationLine(text, application, hexNumbers);
    text += "\r  ";
    text += NumberString(0x30, hexNumbers);
    text += "-";
    text += NumberString(0x5F, hexNumbers);
    text += "  Lighting";
    for (int application = 0x60; application <= 0xFF; ++application)
        AppendApplicationLine(text, application, hexNumbers);
    return text;
}

} // namespace tarvin
