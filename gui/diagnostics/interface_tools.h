#pragma once
// The interface tools of the "Tarvin" menu: the traffic analyser, the two
// Set Mode commands and the unit type commands. Owns the analyser's
// statistics, which the receive path feeds while all traffic is monitored.

#include "core/diagnostics/reply_fields.h"
#include "core/diagnostics/traffic_analyser.h"

#include <QDateTime>
#include <QObject>

class QDialog;
class QWidget;
#include <QString>

#include <functional>
#include <string>

namespace tarvin {

class Diagnostics;
class Prompter;
class Session;

class InterfaceTools : public QObject
{
    Q_OBJECT
public:
    // Messages go through `prompter` over `window`, which parents the
    // dialogs; every dialog runs through `runDialog` (tests replace it).
    InterfaceTools(Session& session, Diagnostics& diagnostics, Prompter& prompter, QWidget* window,
                   std::function<int(QDialog&)> runDialog);

    // --- Traffic analyser -------------------------------------------------
    void AnalyserItemClick();
    // Asks the PCI for all traffic (when its firmware can) and starts the clock.
    void StartMonitoring();
    // The session counts every received line while all traffic is monitored.
    TrafficStatistics& statistics();

    // Runs "Identify All Units" and returns the unit type table (by default
    // the diagnostics' own; tests may replace it).
    void setUnitTypeSource(std::function<UnitTypeTable()> source)
    {
        m_unitTypeSource = std::move(source);
    }
    const UnitTypeTable& unitTypes() const { return m_unitTypes; }
    // The analyser's clock; tests replace it.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    QDateTime now() const { return m_clock(); }

    // --- Interface mode ----------------------------------------------------
    void ModeButtonClick();
    void SetModeofOtherPCIItemClick();

    // --- Unit type ---------------------------------------------------------
    std::string ReadUnitType(bool* answered = nullptr);
    void ReadUnitTypeItemClick();
    void SetUnitTypeItemClick();
    // The installation software's settings file.
    static QString iniPath();

signals:
    void helpRequested(int context);
    // The log panes are to be cleared (around the analyser).
    void clearLogRequested();

private:
    void UpdateIniFile(const std::string& newName);
    // The log's words for a line of Set Mode.
    QString setModeWords(const std::string& line);

    Session& m_session;
    Diagnostics& m_diagnostics;
    Prompter& m_prompter;
    QWidget* m_window;
    std::function<int(QDialog&)> m_runDialog;
    UnitTypeTable m_unitTypes;
    std::function<UnitTypeTable()> m_unitTypeSource;
    std::function<QDateTime()> m_clock;
};

} // namespace tarvin
