#pragma once
// The "Set PC Interface Mode" dialog: the option bits of a PCI as check
// boxes, offered as far as its firmware supports them.

#include "core/diagnostics/interface_mode.h"

#include <QDialog>

#include <cstdint>
#include <functional>

class QCheckBox;
class QGroupBox;
class QPushButton;

namespace tarvin {

class TModeForm : public QDialog
{
    Q_OBJECT
public:
    explicit TModeForm(QWidget* parent = nullptr);

    // Enables the boxes the firmware offers and checks them from the option
    // bytes; "All Monitor (Tavro)" is shown only in debug mode.
    void FormShow(int firmwareVersion, std::uint8_t options1, std::uint8_t options3,
                  bool debugMode);
    // The boxes as the user left them.
    ModeBoxes boxes() const;
    void setHelp(std::function<void()> help) { m_help = std::move(help); }
    void HelpBitBtnClick();

    QGroupBox* GroupBox1 = nullptr; // "Interface Options 1"
    QCheckBox* ConnectCheckBox = nullptr;
    QCheckBox* XonCheckBox = nullptr;
    QCheckBox* ChecksumCheckBox = nullptr;
    QCheckBox* SmartCheckBox = nullptr;
    QCheckBox* MonitorCheckBox = nullptr;
    QCheckBox* IDMONCheckBox = nullptr;
    QGroupBox* GroupBox2 = nullptr; // "Interface Options 3"
    QCheckBox* PCNCheckBox = nullptr;
    QCheckBox* LocalSALCheckBox = nullptr;
    QCheckBox* PUNCheckBox = nullptr;
    QCheckBox* EXSTATCheckBox = nullptr;
    QCheckBox* AllMonitorCheckBox = nullptr;
    QCheckBox* RestoreCheckBox = nullptr;
    QPushButton* OKBitBtn = nullptr;
    QPushButton* CancelBitBtn = nullptr;
    QPushButton* HelpBitBtn = nullptr;

private:
    std::function<void()> m_help;
};

} // namespace tarvin
