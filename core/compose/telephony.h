#pragma once
// Telephony application bodies: the master side (hook state, ringing,
// dial events, recall numbers, internet request) and the slave side
// (isolation, recall, reject, diversion).
//
// Bodies only: the caller prepends SALHeader(kTelephonyApp); see
// compose_common.h.

#include "core/compose/compose_common.h"

#include <array>
#include <string>

namespace tarvin::compose {

// OffHookComboBox items; code = the kind byte.
inline constexpr std::array<CodedItem, 6> kOffHookKinds{{
    {"Incoming Voice", 0x01},
    {"Incoming Data", 0x02},
    {"Incoming Other", 0x03},
    {"Outgoing Voice", 0x10},
    {"Outgoing Data", 0x20},
    {"Outgoing Other", 0x30},
}};

// DialOutFailureComboBox items; code = the reason byte (index + 1).
inline constexpr std::array<CodedItem, 5> kDialOutFailureReasons{{
    {"No Dial Tone", 0x01},
    {"No Answer", 0x02},
    {"No Valid Acknowledge", 0x03},
    {"Number Does not Exist", 0x04},
    {"Number Busy", 0x05},
}};

inline constexpr char kInvalidPhoneNumber[] =
    "Invalid Phone Number.\rMust be between 1 and 16 characters.";

// Fixed bodies, master side.
inline constexpr char kOnHookBody[] = "0901";
inline constexpr char kDialInBody[] = "0A0401";
inline constexpr char kInternetRequestBody[] = "0907";
// Fixed bodies, slave side.
inline constexpr char kIsolateNormalBody[] = "0A8000";
inline constexpr char kIsolateSecondaryBody[] = "0A8001";
inline constexpr char kSlaveRecallOutgoingBody[] = "0A8101";
inline constexpr char kSlaveRecallIncomingBody[] = "0A8102";
inline constexpr char kRejectCallBody[] = "0982";
inline constexpr char kClearDiversionBody[] = "0984";

// The commands carrying a number refuse an empty number or one longer than
// 16 characters; any byte is accepted and sent by its code. An off-hook kind
// index outside the list gives no body and no error.
ComposeResult OffHookBody(int kindIndex, const std::string& number);
ComposeResult RingingBody(const std::string& number);
ComposeResult RecallOutgoingBody(const std::string& number);
ComposeResult RecallIncomingBody(const std::string& number);
ComposeResult DivertBody(const std::string& number);

// "0A03" + reason; empty for an index outside the list.
std::string DialOutBody(int reasonIndex);

} // namespace tarvin::compose
