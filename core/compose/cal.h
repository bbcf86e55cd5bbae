#pragma once
// CAL commands to one unit: recall and get status of parameters, reset,
// identify, and the debug-mode unlock and store.
//
// Bodies only: the caller prepends CALHeader (local PCI or the chosen unit);
// see compose_common.h.

#include "core/compose/compose_common.h"

#include <array>
#include <string>

namespace tarvin::compose {

// IdentifyComboBox items; code = the attribute byte (the index, except 40
// for the last item).
inline constexpr std::array<CodedItem, 19> kIdentifyAttributes{{
    {"Manufacturer", 0x00},
    {"Type", 0x01},
    {"Firmware Version", 0x02},
    {"Summary", 0x03},
    {"Extended Summary", 0x04},
    {"Network Terminal Levels", 0x05},
    {"Terminal Levels", 0x06},
    {"Network Voltage", 0x07},
    {"GAV Values, Current", 0x08},
    {"GAV Values, Stored", 0x09},
    {"GAV Addresses", 0x0A},
    {"Logic Assignment", 0x0B},
    {"Delays", 0x0C},
    {"Minimum Levels", 0x0D},
    {"Maximum Levels", 0x0E},
    {"Current Sense Levels", 0x0F},
    {"Output Unit Summary", 0x10},
    {"DSI Status", 0x11},
    {"Autotester Data", 0x40},
}};
constexpr int kDefaultIdentifyIndex = 1;

constexpr int kCountMin = 1;
constexpr int kCountMax = 16;
constexpr std::size_t kMaxStoreDataLength = 16; // StoreDataEdit's limit

inline constexpr char kInvalidStoreData[] = "Invalid Store Data.";
inline constexpr char kResetBody[] = "08";

// "1A" + parameter + count; count is kept within 1..16.
std::string RecallBody(int parameter, int count);
// "2A" + parameter + count; count is kept within 1..16.
std::string GetStatusBody(int parameter, int count);
// "21" + attribute byte; empty for an index outside the list.
std::string IdentifyBody(int attributeIndex);
// "11" + parameter.
std::string UnlockBody(int parameter);
// A0 + bytes that follow, parameter, "00", then the data as typed. The data
// must be 2..16 hex digits of even length, else "Invalid Store Data.".
ComposeResult StoreBody(int parameter, const std::string& data);

} // namespace tarvin::compose
