#pragma once
// The Telephony Master page: the telephone interface's hook state, ringing,
// dial events, recall numbers and internet request.

#include "core/compose/compose_common.h"

#include <string>

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tarvin {

class Prompter;
class Session;

// A page of the command area; its controls are its direct children (or sit
// in group boxes directly on it), so the main window's enabling rule reaches
// them.
class TelephonyMasterTab : public QWidget
{
    Q_OBJECT
public:
    // `prompter` shows why a field is refused.
    TelephonyMasterTab(Session& session, Prompter& prompter, QWidget* parent);

    // The telephony application's header followed by the body.
    void SendTelephonyCommand(const std::string& body);

    void OnHookButtonClick();
    void OffHookButtonClick();
    void DialInButtonClick();
    void DialOutButtonClick();
    void RingingButtonClick();
    void RecallOutButtonClick();
    void RecallInButtonClick();
    void InternetRequestButtonClick();

    QLineEdit* PhoneNumberEdit = nullptr;
    QPushButton* RingingButton = nullptr;
    QPushButton* RecallOutButton = nullptr;
    QPushButton* RecallInButton = nullptr;
    QPushButton* InternetRequestButton = nullptr;
    QPushButton* OnHookButton = nullptr;
    QComboBox* OffHookComboBox = nullptr;
    QPushButton* OffHookButton = nullptr;
    QPushButton* DialInButton = nullptr;
    QComboBox* DialOutFailureComboBox = nullptr;
    QPushButton* DialOutButton = nullptr;

private:
    // Sends a checked body, or shows why it was refused.
    void SendChecked(const compose::ComposeResult& result);

    Session& m_session;
    Prompter& m_prompter;
};

} // namespace tarvin
