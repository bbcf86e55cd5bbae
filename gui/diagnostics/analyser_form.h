#pragma once
// The traffic analyser window: live totals, rates and per-item counts of all
// bus traffic, a chart of the last 60 time slots and the HTML report.

#include "core/diagnostics/reply_fields.h"
#include "core/diagnostics/traffic_analyser.h"

#include <QDateTime>
#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;
class QWidget;

namespace tarvin {

class AreaChart;
class AreaSeries;
class Prompter;
class Session;

class TAnalyserForm : public QDialog
{
    Q_OBJECT
public:
    // The statistics record and the unit type table outlive the window; the
    // clock is read at every tick.
    TAnalyserForm(Session& session, Prompter& prompter, TrafficStatistics& statistics,
                  const UnitTypeTable& unitTypes, std::function<QDateTime()> clock,
                  QWidget* parent = nullptr);
    // A finished analysis of a capture: no clock and no reset; its chart
    // slots are `slotSeconds` long.
    TAnalyserForm(Session& session, Prompter& prompter, const TrafficAnalyser& finished,
                  int slotSeconds, const QString& title, QWidget* parent = nullptr);
    ~TAnalyserForm() override;

    void Refresh();
    void MoveTimeSlots();
    void DrawGraph();
    void ResetButtonClick();
    void UpdateComboBoxChange();
    void PeakCheckBoxClick();
    // True when the report was written and handed to the desktop.
    bool ReportButtonClick();
    void Button1Click();

    const TrafficAnalyser& analyser() const { return m_analyser; }

    // --- Components -----------------------------------------------------
    QWidget* Panel1 = nullptr;
    QPushButton* ResetButton = nullptr;
    QLabel* TimeLabel = nullptr;
    QLabel* ElapsedTimeLabel = nullptr;
    QTableWidget* SummaryStringGrid = nullptr;
    QTableWidget* TypeStringGrid = nullptr;
    QTableWidget* MMIStringGrid = nullptr;
    QTableWidget* MessageSourceStringGrid = nullptr;
    QFrame* Panel2 = nullptr;
    AreaChart* Chart1 = nullptr;   // its left axis holds the range
    AreaSeries* Series1 = nullptr; // messages, owned by Chart1
    AreaSeries* Series2 = nullptr; // errors, owned by Chart1
    QLabel* Label1 = nullptr;
    QComboBox* UpdateComboBox = nullptr;
    QCheckBox* PeakCheckBox = nullptr;
    QWidget* Panel3 = nullptr;
    QPushButton* ReportButton = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button1 = nullptr;
    QTimer* Timer1 = nullptr;

signals:
    void helpRequested(int context);

private:
    // The grids and the chart take the room their panel has.
    void FollowSize();
    void BuildWindow();
    void BuildChart();
    void ShowTick();
    // The link went: a last tick at the moment it went, then no more.
    void StopAtLinkLoss();
    double seconds() const;

    Session& m_session;
    Prompter& m_prompter;
    TrafficAnalyser m_analyser;
    const UnitTypeTable& m_unitTypes;
    std::function<QDateTime()> m_clock;
    bool m_offline = false;
    QString m_lost; // when the link went, for the title and the report
};

// The grid texts shown in a table: row 0 is the header.
void ShowGrid(QTableWidget* table, const GridTable& grid);

} // namespace tarvin
