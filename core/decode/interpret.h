#pragma once
// The texts of the Interpret Command and Application Support message boxes.

#include "core/decode/decode.h"

#include <string>
#include <string_view>

namespace tarvin {

// What the Interpret Command box shows for a typed line: "Message = " and the
// description, or "Message could not be decoded". The empty text when the
// line is empty after trimming, in which case no box is shown at all.
// context supplies the number base and the interface options copy.
std::string InterpretCommandText(std::string_view typed, const DecodeContext& context);
// The same, decoding with the program's own decoder.
std::string InterpretCommandText(std::string_view typed, const DecodeContext& context,
                                 Decoder& decoder);

// The Application Support box: a heading and one line per named
// application, lines separated by a single carriage return.
std::string ApplicationSupportText(bool hexNumbers);

} // namespace tarvin
