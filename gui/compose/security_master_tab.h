#pragma once
// The Security Master page: the alarm panel's status broadcasts, zone
// states and names, arm ready or failed, and the two system status strings.

#include <string>

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tarvin {

class Prompter;
class Session;
class SpinEdit;

// A page of the command area; its controls are its direct children (or sit
// in group boxes directly on it), so the main window's enabling rule reaches
// them.
class SecurityMasterTab : public QWidget
{
    Q_OBJECT
public:
    // `prompter` shows why a field is refused.
    SecurityMasterTab(Session& session, Prompter& prompter, QWidget* parent);

    // The security application's header followed by the body.
    void SendSecurityCommand(const std::string& body);

    void SecuritySendButtonClick();
    void ZoneUnsealedButtonClick();
    void ZoneSealedButtonClick();
    void ZoneOpenButtonClick();
    void ZoneShortButtonClick();
    void ZoneIsolatedButtonClick();
    void ZoneNameButtonClick();
    void ArmReadyButtonClick();
    void ArmNotReadyButtonClick();
    void Status1ButtonClick();
    void Status2ButtonClick();

    QComboBox* SecurityMessageComboBox = nullptr;
    QPushButton* SecuritySendButton = nullptr;
    SpinEdit* ZoneSpinEdit = nullptr;
    QPushButton* ZoneUnsealedButton = nullptr;
    QPushButton* ZoneSealedButton = nullptr;
    QPushButton* ZoneOpenButton = nullptr;
    QPushButton* ZoneShortButton = nullptr;
    QPushButton* ZoneIsolatedButton = nullptr;
    QPushButton* ZoneNameButton = nullptr;
    QPushButton* ArmReadyButton = nullptr;
    QPushButton* ArmNotReadyButton = nullptr;
    QLineEdit* Status1Edit = nullptr;
    QPushButton* Status1Button = nullptr;
    QLineEdit* Status2Edit = nullptr;
    QPushButton* Status2Button = nullptr;

private:
    Session& m_session;
    Prompter& m_prompter;
};

} // namespace tarvin
