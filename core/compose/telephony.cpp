#include "core/compose/telephony.h"

#include "core/decode/hex.h"

namespace tarvin::compose {

namespace {

constexpr std::size_t kMaxNumberLength = 16;

bool ValidNumber(const std::string& number)
{
    return !number.empty() && number.size() <= kMaxNumberLength;
}

// The first byte counts the bytes after it: the fixed bytes plus the number.
ComposeResult NumberCommand(unsigned base, const std::string& fixed, const std::string& number)
{
    if (!ValidNumber(number))
        return ComposeResult::Error(kInvalidPhoneNumber);
    return ComposeResult::Body(HexByte(base + static_cast<unsigned>(number.size())) + fixed +
                               TextToHex(number));
}

} // namespace

ComposeResult OffHookBody(int kindIndex, const std::string& number)
{
    if (kindIndex < 0 || kindIndex >= static_cast<int>(kOffHookKinds.size()))
        return {};
    const auto kind =
        static_cast<unsigned>(kOffHookKinds[static_cast<std::size_t>(kindIndex)].code);
    return NumberCommand(0xA2, "02" + HexByte(kind), number);
}

ComposeResult RingingBody(const std::string& number)
{
    return NumberCommand(0xA2, "0501", number);
}

ComposeResult RecallOutgoingBody(const std::string& number)
{
    return NumberCommand(0xA2, "0601", number);
}

ComposeResult RecallIncomingBody(const std::string& number)
{
    return NumberCommand(0xA2, "0602", number);
}

ComposeResult DivertBody(const std::string& number)
{
    return NumberCommand(0xA1, "83", number);
}

std::string DialOutBody(int reasonIndex)
{
    if (reasonIndex < 0 || reasonIndex >= static_cast<int>(kDialOutFailureReasons.size()))
        return {};
    return "0A03" + HexByte(static_cast<unsigned>(
                        kDialOutFailureReasons[static_cast<std::size_t>(reasonIndex)].code));
}

} // namespace tarvin::compose
