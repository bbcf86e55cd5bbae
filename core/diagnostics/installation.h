#pragma once
// The installation as a document: every unit the unit lists have found,
// per network, with its type, bus voltage and whether it answered the last
// time it was asked.

#include <string>
#include <string_view>
#include <vector>

namespace tarvin {

struct InstalledUnit
{
    std::string network; // "0" for the local network, else the path to it
    int unit = 0;
    std::string type;    // empty until identified
    std::string voltage; // empty until measured
    bool answered = false;
    std::string when; // "yyyy-MM-dd HH:mm:ss" of the last question
};

class Installation
{
public:
    // One unit asked by Identify All Units (`type`) or Get Unit Voltages
    // (`voltage`): what it answered is kept, and what it answered before
    // stays when it is silent now.
    void recordType(const std::string& network, int unit, bool answered, const std::string& type,
                    const std::string& when);
    void recordVoltage(const std::string& network, int unit, bool answered,
                       const std::string& voltage, const std::string& when);
    // In order of network, then unit.
    const std::vector<InstalledUnit>& units() const { return m_units; }
    void clear() { m_units.clear(); }

private:
    InstalledUnit& find(const std::string& network, int unit);

    std::vector<InstalledUnit> m_units;
};

// Column titles and a unit's cells as the window, the CSV and the report
// show them.
std::vector<std::string> InstallationColumns();
std::vector<std::string> InstallationCells(const InstalledUnit& unit, bool hexNumbers);
// RFC 4180 CSV with the column row first.
std::string InstallationCsv(const std::vector<InstalledUnit>& units, bool hexNumbers);
// An HTML page with every unit, lines ending in CR LF.
std::string InstallationReport(const std::vector<InstalledUnit>& units, bool hexNumbers,
                               std::string_view written);

} // namespace tarvin
