#include "core/compose/measurement.h"

#include "core/decode/hex.h"

namespace tarvin::compose {

std::string CutAtPoint(const std::string& text)
{
    return text.substr(0, text.find('.'));
}

std::optional<int> ReadInteger(const std::string& text, int lo, int hi)
{
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos)
        return std::nullopt;
    const std::size_t end = text.find_last_not_of(' ') + 1;
    bool negative = false;
    if (text[begin] == '+' || text[begin] == '-') {
        negative = text[begin] == '-';
        ++begin;
    }
    if (begin == end)
        return std::nullopt;
    long long magnitude = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const char ch = text[i];
        if (ch < '0' || ch > '9')
            return std::nullopt;
        // Anything this long is far outside every field's range already.
        if (magnitude < 1000000000LL)
            magnitude = magnitude * 10 + (ch - '0');
    }
    return ClampInt(negative ? -magnitude : magnitude, lo, hi);
}

int SpinFieldValue(const std::string& text, int lo, int hi)
{
    return ReadInteger(text, lo, hi).value_or(lo);
}

MeasurementResult MeasurementBody(int device, int channel, int unitIndex,
                                  const std::string& exponentText, const std::string& valueText)
{
    MeasurementResult result;
    result.exponentText = CutAtPoint(exponentText);
    result.valueText = CutAtPoint(valueText);
    if (unitIndex < 0 || unitIndex >= static_cast<int>(kMeasurementUnits.size()))
        return result;

    const std::optional<int> exponent =
        ReadInteger(result.exponentText, kExponentMin, kExponentMax);
    if (!exponent)
        result.notices.emplace_back(kInvalidExponent);
    const std::optional<int> value = ReadInteger(result.valueText, kValueMin, kValueMax);
    if (!value)
        result.notices.emplace_back(kInvalidValue);

    // A field that cannot be read sends nothing: a broadcast of 0 in its
    // place would tell every listener a value nobody measured.
    if (!exponent || !value)
        return result;
    const auto unit =
        static_cast<unsigned>(kMeasurementUnits[static_cast<std::size_t>(unitIndex)].code);
    result.body = "0E" + HexByte(static_cast<unsigned>(ClampInt(device, 0, 255))) +
                  HexByte(static_cast<unsigned>(ClampInt(channel, 0, 255))) + HexByte(unit) +
                  HexByte(static_cast<unsigned>(*exponent)) + Hex4(*value);
    return result;
}

} // namespace tarvin::compose
