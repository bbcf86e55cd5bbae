#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace tarvin::sim {

// One unit on a simulated network: what it answers to Identify and Recall.
// Its parameter space is its 256-byte EEPROM image; the address, project,
// part name and option parameters are written over the image on load, so a
// Recall of parameter 20 and byte 20 of an EEPROM dump agree.
struct SimUnit
{
    std::uint8_t address = 0;
    QByteArray manufacturer = "OSTREL";
    QByteArray type;
    QByteArray firmware = "1.0";
    QByteArray partName;
    QByteArray project;
    quint32 serialHigh = 0; // five hex digits on the wire
    quint32 serialLow = 0;  // three hex digits
    QByteArray voltage = "36.0V";
    int mmiState = 1; // 1..3 in an Installation MMI
    std::array<std::uint8_t, 256> eeprom{};
};

// Group addresses of one application: level 0..255, or a conflict.
struct SimGroup
{
    int level = 0;
    bool conflict = false;
};

struct SimApplication
{
    QMap<int, SimGroup> groups; // by group address
};

// One network: the local one (path empty) or one behind bridges.
struct SimNetwork
{
    QByteArray path; // bridge addresses as upper-case hex, "" = local
    QList<SimUnit> units;
    QMap<int, SimApplication> applications;

    const SimUnit* unit(int address) const;
};

// The simulated installation: the PCI (also a unit of the local network)
// and every network it can reach.
struct SimInstallation
{
    SimUnit pci;
    QList<SimNetwork> networks; // networks[0] is the local network

    const SimNetwork* network(const QByteArray& path) const;

    // The built-in installation used when no --network file is given.
    static SimInstallation Default();
    // Reads a description (see NETWORK.md); nullopt with a reason on error.
    static std::optional<SimInstallation> FromJson(const QByteArray& json, QString* error);
    static std::optional<SimInstallation> Load(const QString& path, QString* error);
};

// Six bytes of packed six-bit codes for a name of up to 8 characters.
QByteArray PackSixBitName(const QByteArray& name);

} // namespace tarvin::sim
