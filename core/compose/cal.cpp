#include "core/compose/cal.h"

#include "core/decode/hex.h"

namespace tarvin::compose {

namespace {
std::string Byte(int v)
{
    return HexByte(static_cast<unsigned>(ClampInt(v, 0, 255)));
}
} // namespace

std::string RecallBody(int parameter, int count)
{
    return "1A" + Byte(parameter) + Byte(ClampInt(count, kCountMin, kCountMax));
}

std::string GetStatusBody(int parameter, int count)
{
    return "2A" + Byte(parameter) + Byte(ClampInt(count, kCountMin, kCountMax));
}

std::string IdentifyBody(int attributeIndex)
{
    if (attributeIndex < 0 || attributeIndex >= static_cast<int>(kIdentifyAttributes.size()))
        return {};
    return "21" + Byte(kIdentifyAttributes[static_cast<std::size_t>(attributeIndex)].code);
}

std::string UnlockBody(int parameter)
{
    return "11" + Byte(parameter);
}

ComposeResult StoreBody(int parameter, const std::string& data)
{
    // Longer data than the field takes would overrun the eight-byte store.
    if (!IsHexString(data) || data.size() > kMaxStoreDataLength)
        return ComposeResult::Error(kInvalidStoreData);
    const int bytes = static_cast<int>(data.size() / 2);
    return ComposeResult::Body(Byte(0xA2 + bytes) + Byte(parameter) + "00" + data);
}

} // namespace tarvin::compose
