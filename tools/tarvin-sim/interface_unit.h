#pragma once

#include "network.h"

#include <QByteArray>
#include <QList>
#include <QSet>

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
constexpr int kParamUnitType = 0xF7;       // eight bytes of ASCII
constexpr int kParamPowerUpOptions = 0x41; // Interface Options 1 at power-up
constexpr int kParamInterfaceOptions3 = 0x42;
constexpr int kParamMonitoring = 0x40;

// Replaces the confirmation's "." by an error character on every n-th
// acknowledged line, counted from the moment the fault was set.
struct FaultSetting
{
    char reply = 0; // '#', '$' or '%'; 0 = no fault
    int every = 1;
};

bool IsFaultCharacter(char c);

// How network replies (CAL replies and status reports) are spoiled on
// request, so the program's handling of bad replies can be tried.
enum class ReplyFault
{
    None,
    Duplicate, // every reply line goes out twice
    Truncate,  // every reply line loses the second half of its text
    Garbage,   // every reply line is preceded by a line of non-hex junk
};

// One message for the wire. delayMs holds it, and all output after it, back
// (a slow network); lateMs sends it that much later on a timer of its own,
// while other output goes on (a late answer from the bus).
struct Outgoing
{
    QByteArray bytes;
    int delayMs = 0;
    int lateMs = 0;
    bool reply = false; // a network reply line (not a confirmation or junk)
};

// The interface unit as the program sees it: option bytes, the parameter
// table and the replies to one complete line. Shared by every transport, so
// a mode set over TCP is the mode a pty client finds.
//
// Lines reach handleLine() already cut at CR with LFs removed. Commands that
// go out onto the bus (a "\" header) and CAL requests to the unit itself are
// routed to busCommand() / localCommand(): the PCI answers Identify and
// Recall itself, and the simulated installation answers CAL requests to its
// units and the network-control status requests (MMIs).
class InterfaceUnit
{
public:
    explicit InterfaceUnit(const SimInstallation& installation = SimInstallation::Default());

    std::uint8_t options() const { return m_parameters[kParamInterfaceOptions1]; }
    void setOptions(std::uint8_t options) { m_parameters[kParamInterfaceOptions1] = options; }
    bool echoes() const { return (options() & kOptionSmart) == 0; }
    // A reset also ends the monitoring mode.
    void resetToBasic()
    {
        setOptions(0);
        m_parameters[kParamMonitoring] = 0;
    }
    // The traffic analyser's monitoring mode: parameter 40 set (firmware 4),
    // or bit 02 of Interface Options 1 (firmware 3).
    bool allMonitor() const { return m_parameters[kParamMonitoring] != 0 || (options() & 0x02); }

    std::uint8_t parameter(std::uint8_t number) const { return m_parameters[number]; }

    FaultSetting fault() const { return m_fault; }
    void setFault(const FaultSetting& fault);

    // Every element of the result is one message on the wire, in order.
    QList<Outgoing> handleLine(const QByteArray& line);

    const SimInstallation& installation() const { return m_installation; }

    // Who stays silent: "pci" (its own CAL replies), "mmi" (status
    // reports), a unit "05" of the local network or "0A1B/07" behind a path.
    void setSilent(const QByteArray& who, bool silent);
    void clearSilent() { m_silent.clear(); }
    void setReplyDelay(int ms) { m_replyDelayMs = ms < 0 ? 0 : ms; }
    int replyDelay() const { return m_replyDelayMs; }
    void setLateReplies(int ms) { m_lateMs = ms < 0 ? 0 : ms; }
    int lateReplies() const { return m_lateMs; }
    void setLateConfirmations(int ms) { m_lateConfirmMs = ms < 0 ? 0 : ms; }
    // The PCI's own replies (to header-less requests) this much later; 0: as the others.
    void setPCILate(int ms) { m_pciLateMs = ms < 0 ? 0 : ms; }
    void setReplyFault(ReplyFault fault) { m_replyFault = fault; }
    // Stores of more than one byte (names, unit types) are not kept.
    void setStoreFails(bool fails) { m_storeFails = fails; }

private:
    QList<QByteArray> localCommand(const QByteArray& bytes);
    QList<QByteArray> busCommand(const QByteArray& bytes);
    QList<QByteArray> salCommands(const SimNetwork& network, const QByteArray& bytes, int first);
    // A CAL request to one unit: Identify, Recall, or Unlock and Store (no
    // reply). `who` names the unit for its unlocks ("pci", "05", "0A1B/07");
    // viaHeader: the request came through a unit header over the bus.
    QByteArray unitReply(const SimUnit& unit, std::array<std::uint8_t, 256>& parameters,
                         const QByteArray& data, const QByteArray& who, bool viaHeader);
    // Parameters whose store needs an unlock first.
    static bool NeedsUnlock(int parameter, bool viaHeader);
    QList<QByteArray> statusReports(const SimNetwork& network, int application, int start) const;
    QList<QByteArray> levelReports(const SimNetwork& network, int application, int start) const;
    // The reply as it reaches the program: with IDMON the interface puts
    // "86", the source and the route in front; a checksum ends every line.
    QByteArray frame(const SimNetwork& network, std::uint8_t source, const QByteArray& body) const;
    QList<Outgoing> spoil(const QList<QByteArray>& replies, int lateMs) const;
    QByteArray confirmation(char ack);
    bool silent(const QByteArray& who) const { return m_silent.contains(who); }
    SimNetwork* findNetwork(const QByteArray& path);

    SimInstallation m_installation;
    std::array<std::uint8_t, 256> m_parameters{};
    FaultSetting m_fault;
    int m_acknowledged = 0;
    QSet<QByteArray> m_silent;
    int m_replyDelayMs = 0;
    int m_lateMs = 0;
    int m_lateConfirmMs = 0;
    int m_pciLateMs = 0;
    ReplyFault m_replyFault = ReplyFault::None;
    bool m_storeFails = false;
    // Unlocked parameters, "who:PP", each good for one store.
    QSet<QByteArray> m_unlocked;
};

} // namespace tarvin::sim
