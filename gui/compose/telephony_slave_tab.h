#pragma once
// The Telephony Slave page: a device's requests to the telephone interface:
// line isolation, recall, reject and call diversion.

#include <string>

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace tarvin {

class Prompter;
class Session;

// A page of the command area; its controls are its direct children (or sit
// in group boxes directly on it), so the main window's enabling rule reaches
// them.
class TelephonySlaveTab : public QWidget
{
    Q_OBJECT
public:
    // `prompter` shows why a field is refused.
    TelephonySlaveTab(Session& session, Prompter& prompter, QWidget* parent);

    // The telephony application's header followed by the body.
    void SendTelephonyCommand(const std::string& body);

    void IsolateNormalButtonClick();
    void IsolateSecondaryButtonClick();
    void RecallOutgoingButtonClick();
    void RecallIncomingButtonClick();
    void RejectCallButtonClick();
    void DivertButtonClick();
    void ClearDiversionButtonClick();

    QPushButton* IsolateNormalButton = nullptr;
    QPushButton* IsolateSecondaryButton = nullptr;
    QPushButton* RecallOutgoingButton = nullptr;
    QPushButton* RecallIncomingButton = nullptr;
    QPushButton* RejectCallButton = nullptr;
    QLineEdit* NumberEdit = nullptr;
    QPushButton* DivertButton = nullptr;
    QPushButton* ClearDiversionButton = nullptr;

private:
    Session& m_session;
    Prompter& m_prompter;
};

} // namespace tarvin
