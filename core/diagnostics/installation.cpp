#include "core/diagnostics/installation.h"

#include "core/decode/hex.h"
#include "core/diagnostics/traffic_report.h"
#include "core/files/capture_format.h"

#include <algorithm>

namespace tarvin {

InstalledUnit& Installation::find(const std::string& network, int unit)
{
    const auto before = [](const InstalledUnit& u, const std::pair<std::string, int>& key) {
        return std::make_pair(u.network, u.unit) < key;
    };
    const auto key = std::make_pair(network, unit);
    auto at = std::lower_bound(m_units.begin(), m_units.end(), key, before);
    if (at == m_units.end() || at->network != network || at->unit != unit) {
        InstalledUnit fresh;
        fresh.network = network;
        fresh.unit = unit;
        at = m_units.insert(at, fresh);
    }
    return *at;
}

void Installation::recordType(const std::string& network, int unit, bool answered,
                              const std::string& type, const std::string& when)
{
    InstalledUnit& u = find(network, unit);
    u.answered = answered;
    u.when = when;
    if (answered)
        u.type = type;
}

void Installation::recordVoltage(const std::string& network, int unit, bool answered,
                                 const std::string& voltage, const std::string& when)
{
    InstalledUnit& u = find(network, unit);
    u.answered = answered;
    u.when = when;
    if (answered)
        u.voltage = voltage;
}

std::vector<std::string> InstallationColumns()
{
    return {"Network", "Unit", "Type", "Bus Voltage", "Answered", "When"};
}

std::vector<std::string> InstallationCells(const InstalledUnit& unit, bool hexNumbers)
{
    return {unit.network, NumberString(unit.unit, hexNumbers), unit.type,
            unit.voltage, unit.answered ? "yes" : "no",        unit.when};
}

std::string InstallationCsv(const std::vector<InstalledUnit>& units, bool hexNumbers)
{
    const auto row = [](const std::vector<std::string>& cells) {
        std::string line;
        for (const std::string& cell : cells) {
            if (!line.empty())
                line += ',';
            line += CsvField(cell);
        }
        return line + "\r\n";
    };
    std::string out = row(InstallationColumns());
    for (const InstalledUnit& unit : units)
        out += row(InstallationCells(unit, hexNumbers));
    return out;
}

std::string InstallationReport(const std::vector<InstalledUnit>& units, bool hexNumbers,
                               std::string_view written)
{
    GridTable grid{InstallationColumns()};
    for (const InstalledUnit& unit : units)
        grid.push_back(InstallationCells(unit, hexNumbers));
    std::string out = "<html>\r\n<head><title>Tarvin Installation</title></head>\r\n<body>\r\n";
    out += HtmlHeading(1, "Tarvin Installation") + "\r\n";
    out += "<p>" +
           HtmlEscape(std::to_string(units.size()) + " units, written " + std::string(written)) +
           "</p>\r\n";
    out += HtmlTable(grid);
    out += "</body>\r\n</html>\r\n";
    return out;
}

} // namespace tarvin
