#pragma once
// "Program Options": connection, decode options and time stamps. Created
// once and reused; every showing reloads it from the live settings, and OK
// leaves the options chosen in chosen() for the caller to apply.

#include "core/files/settings.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSpinBox;

namespace tarvin {

class Prompter;
class Session;

class TOptionsForm : public QDialog
{
    Q_OBJECT
public:
    // Refusals go through `prompter`; `window` parents the dialog, and the
    // serial setup runs through `runDialog` (tests replace it).
    TOptionsForm(Session& session, Prompter& prompter, QWidget* window,
                 std::function<int(QDialog&)> runDialog);

    void FormShow();
    void OKBitBtnClick();
    void HelpBitBtnClick();
    void SerialSetupButtonClick();
    // Enables the settings of the chosen connection only.
    void EnableChoices();
    // The "Lists" choice: shown with all tools, hidden in the restricted surface.
    void showListsChoice(bool on);
    // The settings as shown with the dialog's choices in them; valid after OK.
    const Settings& chosen() const { return m_chosen; }

    QGroupBox* ConnectionGroupBox = nullptr;
    QRadioButton* SerialRadioButton = nullptr;
    QComboBox* ComComboBox1 = nullptr;
    QPushButton* SerialSetupButton = nullptr;
    QRadioButton* TCPIPRadioButton = nullptr;
    QLineEdit* IPAddressEdit = nullptr;
    QSpinBox* PortSpinEdit = nullptr;
    // Says so when the stored serial port is not on this computer.
    QLabel* PortNoteLabel = nullptr;
    QGroupBox* DecodeGroupBox = nullptr;
    QCheckBox* ShowNetworkCheckBox = nullptr;
    QCheckBox* ShowUnitCheckBox = nullptr;
    QCheckBox* ShowApplicationCheckBox = nullptr;
    QCheckBox* ShowMessageCheckBox = nullptr;
    QGroupBox* LogGroupBox = nullptr;
    QSpinBox* TimeDecimalPlacesSpinEdit = nullptr;
    QCheckBox* ShowDateCheckBox = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QRadioButton* SeparateListsRadioButton = nullptr;
    QRadioButton* CombinedListsRadioButton = nullptr;
    QPushButton* OKBitBtn = nullptr;
    QPushButton* CancelBitBtn = nullptr;
    QPushButton* HelpBitBtn = nullptr;

signals:
    void helpRequested(int context);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void fitHeight();
    void ShowSerialPorts(const QString& stored, bool serialChosen);
    // Why the connection settings cannot work, or empty when they can.
    QString ConnectionRefusal() const;

    Session& m_session;
    Prompter& m_prompter;
    std::function<int(QDialog&)> m_runDialog;
    Settings m_chosen;
    QScrollArea* m_scroll = nullptr; // the settings, above the buttons
};

} // namespace tarvin
