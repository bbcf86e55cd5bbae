#pragma once
// The Lighting page: on, off and ramp to one group, the All Off sweep, a
// continuous toggle and random lighting traffic, both driven by Timer1.

#include "core/compose/lighting.h"
#include "gui/compose/tab_support.h"

#include <QByteArray>
#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QTimer;

namespace tarvin {

class Prompter;
class RadioGroup;
class Session;

// A page of the command area; its controls are its direct children (or sit
// in group boxes directly on it), so the main window's enabling rule reaches
// them.
class LightingTab : public QWidget
{
    Q_OBJECT
public:
    // `prompter` shows the application warning; `assignMenu` is the send
    // button's right-click menu.
    LightingTab(Session& session, Prompter& prompter, tabs::AssignMenu assignMenu, QWidget* parent);

    // One complete lighting message (header and command); empty when the
    // header was refused.
    QByteArray TarvinLightingCommandString(int application, int group, int rateIndex, int level,
                                           compose::LightingKind kind);
    void SendTarvinLightingCommand(int application, int group, int rateIndex, int level);
    int SelectedLevel() const;
    // The message the page's controls describe, and its user-button caption.
    QByteArray GetTarvinCommandString();
    QString GetTarvinCommandDescription() const;
    void SendRandomCommand();
    // Fills the level list for the chosen mode (% or Level) at its first
    // item; Level numbers follow the number base.
    void FillLevelCombo();

    // Event handlers.
    void SendButtonClick();
    void RampRadioButtonClick();
    void LevelRadioGroupClick();
    void ToggleCheckBoxClick();
    void RandomCheckBoxClick();
    void LightingAppComboBoxChange();
    void RunCheckBoxClick();
    void Timer1Timer();
    void SpeedComboBoxChange(QComboBox* from);
    void AllOffButtonClick();

    // Tests draw from their own source.
    void setRandomSource(compose::RandomSource random) { m_random = std::move(random); }

    QGroupBox* DestinationGroupBox = nullptr;
    QComboBox* LightingAppComboBox = nullptr;
    QComboBox* LightingGroupComboBox = nullptr;
    QGroupBox* CommandGroupBox = nullptr;
    QRadioButton* RampRadioButton = nullptr;
    QRadioButton* OnRadioButton = nullptr;
    QRadioButton* OffRadioButton = nullptr;
    QComboBox* LevelComboBox = nullptr;
    RadioGroup* LevelRadioGroup = nullptr;
    QComboBox* RampRateComboBox = nullptr;
    QCheckBox* ToggleCheckBox = nullptr;
    QComboBox* ToggleSpeedComboBox = nullptr;
    QPushButton* AllOffButton = nullptr;
    QPushButton* SendButton = nullptr;
    QCheckBox* RandomCheckBox = nullptr;
    QFrame* RandomPanel = nullptr;
    QComboBox* SpeedComboBox = nullptr;
    QComboBox* CommandTypeComboBox = nullptr;
    QComboBox* AppComboBox1 = nullptr;
    QComboBox* AppComboBox2 = nullptr;
    QComboBox* GAComboBox1 = nullptr;
    QComboBox* GAComboBox2 = nullptr;
    QCheckBox* RunCheckBox = nullptr;
    QTimer* Timer1 = nullptr;

private:
    compose::LightingKind SelectedKind() const;
    // The tick's message could not get a header: stop the traffic rather than
    // ask again on every tick.
    void StopTraffic();

    Session& m_session;
    Prompter& m_prompter;
    compose::RandomSource m_random;
    bool m_inTick = false;
    bool m_headerRefused = false;
    // The mode the level list was last filled for (% or Level).
    int m_levelListMode = -1;
};

} // namespace tarvin
