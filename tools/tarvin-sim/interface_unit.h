#pragma once

#include <QByteArray>
#include <QList>

#include <array>
#include <cstdint>

namespace tarvin::sim {

// Interface Options 1 bits (parameter 0x30).
constexpr std::uint8_t kOptionConnect = 0x01;
constexpr std::uint8_t kOptionXonXoff = 0x04;
constexpr std::uint8_t kOptionChecksum = 0x08;
constexpr std::uint8_t kOptionSmart = 0x10;
constexpr std::uint8_t kOptionMonitor = 0x20;
constexpr std::uint8_t kOptionIdmon = 0x40;

constexpr std::uint8_t kParamInterfaceOptions1 = 0x30;
constexpr std::uint8_t kStoreParameter = 0xA3;

// Replaces the confirmation's "." by an error character on every n-th
// acknowledged line, counted from the moment the fault was set.
struct FaultSetting
{
    char reply = 0; // '#', '$' or '%'; 0 = no fault
    int every = 1;
};

bool IsFaultCharacter(char c);

// The interface unit as the program sees it: option bytes, the parameter
// table and the replies to one complete line. Shared by every transport, so
// a mode set over TCP is the mode a pty client finds.
//
// Lines reach handleLine() already cut at CR with LFs removed. Commands that
// go out onto the bus (a "\" header) and CAL requests to the unit itself are
// routed to busCommand() / localCommand(), where a simulated network and the
// unit's identification replies will answer later.
class InterfaceUnit
{
public:
    InterfaceUnit() = default;

    std::uint8_t options() const { return m_parameters[kParamInterfaceOptions1]; }
    void setOptions(std::uint8_t options) { m_parameters[kParamInterfaceOptions1] = options; }
    bool echoes() const { return (options() & kOptionSmart) == 0; }
    void resetToBasic() { setOptions(0); }

    std::uint8_t parameter(std::uint8_t number) const { return m_parameters[number]; }

    FaultSetting fault() const { return m_fault; }
    void setFault(const FaultSetting& fault);

    // Every element of the result is one message on the wire, in order.
    QList<QByteArray> handleLine(const QByteArray& line);

private:
    QList<QByteArray> localCommand(const QByteArray& bytes);
    QList<QByteArray> busCommand(const QByteArray& bytes);
    QByteArray confirmation(char ack);

    std::array<std::uint8_t, 256> m_parameters{};
    FaultSetting m_fault;
    int m_acknowledged = 0;
};

} // namespace tarvin::sim
