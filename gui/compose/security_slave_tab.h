#pragma once
// The Security Slave page: a keypad's status requests, alarm and tamper,
// arming, a display message, a zone name request and key presses.

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
class SecuritySlaveTab : public QWidget
{
    Q_OBJECT
public:
    // `prompter` shows why a field is refused.
    SecuritySlaveTab(Session& session, Prompter& prompter, QWidget* parent);

    // The security application's header followed by the body.
    void SendSecurityCommand(const std::string& body);

    void GetStatus1ButtonClick();
    void GetStatus2ButtonClick();
    void ArmButtonClick();
    void AlarmButtonClick();
    void RaiseTamperButtonClick();
    void DropTamperButtonClick();
    void DisplayMessageButtonClick();
    void GetZoneNameButtonClick();
    // Shared by the eleven keys; the key is known by its caption.
    void Keypad1ButtonClick(QPushButton* key);

    QPushButton* GetStatus1Button = nullptr;
    QPushButton* GetStatus2Button = nullptr;
    QPushButton* RaiseTamperButton = nullptr;
    QPushButton* DropTamperButton = nullptr;
    QPushButton* AlarmButton = nullptr;
    QComboBox* ArmComboBox = nullptr;
    QPushButton* ArmButton = nullptr;
    QLineEdit* MessageEdit = nullptr;
    QPushButton* DisplayMessageButton = nullptr;
    SpinEdit* ZoneNumberSpinEdit = nullptr;
    QPushButton* GetZoneNameButton = nullptr;
    QPushButton* Keypad1Button = nullptr;
    QPushButton* Keypad2Button = nullptr;
    QPushButton* Keypad3Button = nullptr;
    QPushButton* Keypad4Button = nullptr;
    QPushButton* Keypad5Button = nullptr;
    QPushButton* Keypad6Button = nullptr;
    QPushButton* Keypad7Button = nullptr;
    QPushButton* Keypad8Button = nullptr;
    QPushButton* Keypad9Button = nullptr;
    QPushButton* Keypad0Button = nullptr;
    QPushButton* KeypadEnterButton = nullptr;

private:
    Session& m_session;
    Prompter& m_prompter;
};

} // namespace tarvin
