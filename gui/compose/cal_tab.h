#pragma once
// The CAL page: recall, get status, reset and identify to the local PCI or
// another unit, and, in debug mode, unlock and store of parameter data.

#include <QByteArray>
#include <QWidget>

#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarvin {

class Prompter;
class Session;
class SpinEdit;

// A page of the command area; its controls are its direct children (or sit
// in group boxes directly on it), so the main window's enabling rule reaches
// them.
class CALTab : public QWidget
{
    Q_OBJECT
public:
    // `prompter` shows why store data is refused. Replies to identify are
    // read as text: `showAscii` turns that switch on before the request
    // goes out, and it stays on.
    CALTab(Session& session, Prompter& prompter, std::function<void()> showAscii, QWidget* parent);

    // The header for the chosen destination; empty when the remote path was
    // refused.
    QByteArray CALHeader();

    void RecallButtonClick();
    void GetStatusButtonClick();
    void ResetButtonClick();
    void IdentifyCommandButtonClick();
    void UnlockButtonClick();
    void StoreButtonClick();
    // The parameter store controls, for debugging only.
    void ShowDebugControls();

    QRadioButton* LocalPCIRadioButton = nullptr;
    QRadioButton* OtherUnitRadioButton = nullptr;
    QComboBox* UnitAddressComboBox = nullptr;
    QComboBox* ParamComboBox = nullptr;
    SpinEdit* CountSpinEdit = nullptr;
    QPushButton* RecallButton = nullptr;
    QPushButton* GetStatusButton = nullptr;
    QPushButton* ResetButton = nullptr;
    QPushButton* IdentifyCommandButton = nullptr;
    QComboBox* IdentifyComboBox = nullptr;
    QLabel* Label18 = nullptr;
    QLineEdit* StoreDataEdit = nullptr;
    QPushButton* UnlockButton = nullptr;
    QPushButton* StoreButton = nullptr;

private:
    void SendCAL(const std::string& body);

    Session& m_session;
    Prompter& m_prompter;
    std::function<void()> m_showAscii;
};

} // namespace tarvin
