#include "gui/diagnostics/mode_form.h"

#include "gui/widgets/window_sizes.h"

#include "gui/widgets/fit_texts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

namespace tarvin {

namespace {

QCheckBox* Box(QWidget* parent, const char* name, const char* caption, int x, int y)
{
    auto* box = new QCheckBox(QLatin1String(caption), parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(x, y, 130, 19);
    return box;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, int x)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(x, 178, 80, 27);
    return button;
}

} // namespace

TModeForm::TModeForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ModeForm"));
    setWindowTitle(QStringLiteral("Set PC Interface Mode"));
    resize(304, 213);

    GroupBox1 = new QGroupBox(QStringLiteral("Interface Options 1"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 4, 140, 166);
    ConnectCheckBox = Box(GroupBox1, "ConnectCheckBox", "CONNECT", 8, 20);
    XonCheckBox = Box(GroupBox1, "XonCheckBox", "XON/XOFF", 8, 44);
    ChecksumCheckBox = Box(GroupBox1, "ChecksumCheckBox", "CHECKSUM", 8, 68);
    SmartCheckBox = Box(GroupBox1, "SmartCheckBox", "SMART", 8, 92);
    MonitorCheckBox = Box(GroupBox1, "MonitorCheckBox", "MONITOR", 8, 116);
    IDMONCheckBox = Box(GroupBox1, "IDMONCheckBox", "IDMON", 8, 140);

    GroupBox2 = new QGroupBox(QStringLiteral("Interface Options 3"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(156, 4, 140, 118);
    PCNCheckBox = Box(GroupBox2, "PCNCheckBox", "PCN", 8, 20);
    LocalSALCheckBox = Box(GroupBox2, "LocalSALCheckBox", "Local SAL", 8, 44);
    PUNCheckBox = Box(GroupBox2, "PUNCheckBox", "PUN", 8, 68);
    EXSTATCheckBox = Box(GroupBox2, "EXSTATCheckBox", "EXSTAT", 8, 92);
    AllMonitorCheckBox = Box(this, "AllMonitorCheckBox", "All Monitor (Tavro)", 164, 128);
    AllMonitorCheckBox->setFixedWidth(136);
    RestoreCheckBox = Box(this, "RestoreCheckBox", "Restore after power fail", 164, 150);
    RestoreCheckBox->setFixedWidth(138);

    // What the interface does with the Options 3 switches is its firmware's
    // business: the tips say what the program writes, where, and for whom.
    const QString options3 = QStringLiteral(
        "A switch of the interface's Interface Options 3 byte (its parameter 42), offered from "
        "firmware %1. OK stores the byte in the interface and remembers it here.");
    PCNCheckBox->setToolTip(QStringLiteral("PCN (value 01). ") +
                            options3.arg(QStringLiteral("4.0")));
    LocalSALCheckBox->setToolTip(QStringLiteral("Local SAL (value 02). ") +
                                 options3.arg(QStringLiteral("3.12")));
    PUNCheckBox->setToolTip(QStringLiteral("PUN (value 04). ") +
                            options3.arg(QStringLiteral("4.0")));
    EXSTATCheckBox->setToolTip(QStringLiteral("EXSTAT (value 08). ") +
                               options3.arg(QStringLiteral("4.0")));
    RestoreCheckBox->setToolTip(QStringLiteral(
        "Also store the Interface Options 1 chosen here as the options the interface takes at "
        "power-up (its parameter 41), so it comes back in this mode after a power failure. "
        "Without it the mode lasts until the interface restarts. Offered from firmware 4.0; "
        "always on for another PCI, whose power-up options are the only ones written."));

    OKBitBtn = Button(this, "OKBitBtn", QStringLiteral("OK"), 20);
    OKBitBtn->setDefault(true);
    CancelBitBtn = Button(this, "CancelBitBtn", QStringLiteral("Cancel"), 112);
    HelpBitBtn = Button(this, "HelpBitBtn", QStringLiteral("&Help"), 204);
    HelpBitBtn->setAutoDefault(false);
    CancelBitBtn->setAutoDefault(false);

    connect(OKBitBtn, &QPushButton::clicked, this, &QDialog::accept);
    // Escape rejects the dialog as Cancel does.
    connect(CancelBitBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBitBtn, &QPushButton::clicked, this, &TModeForm::HelpBitBtnClick);
    FitTexts(this);
    MakeResizable(this);
}

void TModeForm::FormShow(int firmwareVersion, std::uint8_t options1, std::uint8_t options3,
                         bool debugMode)
{
    const ModeGating gating = GateModeOptions(firmwareVersion);
    if (!gating.allMonitor)
        AllMonitorCheckBox->setEnabled(false);
    if (!gating.localSal)
        LocalSALCheckBox->setEnabled(false);
    if (!gating.pcn)
        PCNCheckBox->setEnabled(false);
    if (!gating.pun)
        PUNCheckBox->setEnabled(false);
    if (!gating.exstat)
        EXSTATCheckBox->setEnabled(false);
    if (!gating.restore)
        RestoreCheckBox->setEnabled(false);

    const ModeBoxes b = BoxesFromOptions(options1, options3);
    ConnectCheckBox->setChecked(b.connect);
    XonCheckBox->setChecked(b.xonXoff);
    ChecksumCheckBox->setChecked(b.checksum);
    SmartCheckBox->setChecked(b.smart);
    MonitorCheckBox->setChecked(b.monitor);
    IDMONCheckBox->setChecked(b.idmon);
    PCNCheckBox->setChecked(b.pcn);
    LocalSALCheckBox->setChecked(b.localSal);
    PUNCheckBox->setChecked(b.pun);
    EXSTATCheckBox->setChecked(b.exstat);

    AllMonitorCheckBox->setVisible(debugMode);
}

ModeBoxes TModeForm::boxes() const
{
    ModeBoxes b;
    b.connect = ConnectCheckBox->isChecked();
    b.xonXoff = XonCheckBox->isChecked();
    b.checksum = ChecksumCheckBox->isChecked();
    b.smart = SmartCheckBox->isChecked();
    b.monitor = MonitorCheckBox->isChecked();
    b.idmon = IDMONCheckBox->isChecked();
    b.pcn = PCNCheckBox->isChecked();
    b.localSal = LocalSALCheckBox->isChecked();
    b.pun = PUNCheckBox->isChecked();
    b.exstat = EXSTATCheckBox->isChecked();
    b.allMonitor = AllMonitorCheckBox->isChecked();
    b.restore = RestoreCheckBox->isChecked();
    return b;
}

void TModeForm::HelpBitBtnClick()
{
    if (m_help)
        m_help();
}

} // namespace tarvin
