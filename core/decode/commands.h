#pragma once
// The command decoders. Each describes one SAL command: c is the command
// byte and p its position in the message; arguments follow at p+1, p+2, ...
// Each appends its text (" Unknown" for a command it does not know).

#include "core/decode/message.h"

#include <string>

namespace tarvin {

void DecodeLightingCommand(MessageReader& m, int c, int p, std::string& out);
void DecodeTriggerEnableCommand(MessageReader& m, int c, int p, std::string& out);
void DecodeTemperatureCommand(MessageReader& m, int c, int p, std::string& out);

void DecodeSecurityCommand(MessageReader& m, int c, int p, std::string& out);
void DecodeAccessControlCommand(MessageReader& m, int c, int p, std::string& out);
void DecodeClockCommand(MessageReader& m, int c, int p, std::string& out);
void DecodeTelephonyCommand(MessageReader& m, int c, int p, std::string& out);
void DecodeMeasurementCommand(MessageReader& m, int c, int p, std::string& out);

void DecodeNetworkControlCommand(MessageReader& m, int c, int p, std::string& out);

// Whole messages: a CAL message (the first CAL command only) and a status
// reply named from its header byte.
void DecodeCAL(MessageReader& m, int options, bool idmon, std::string& out);
void DecodeStatusReply(MessageReader& m, std::string& out);

using CommandDecoder = void (*)(MessageReader&, int, int, std::string&);
// The decoder of an application's SAL commands, or nullptr when it has none.
CommandDecoder CommandDecoderFor(int application);

} // namespace tarvin
