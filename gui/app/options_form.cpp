#include "gui/app/options_form.h"

#include "gui/widgets/window_sizes.h"

#include "gui/app/serial_setup_dialog.h"
#include "gui/widgets/prompter.h"
#include "session/link_session.h"
#include "session/session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace tarvin {

namespace {

constexpr int kHeight = 468;

template <typename T> T* Named(T* object, const char* name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

QString Latin1(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

std::string Bytes(const QString& s)
{
    return s.toLatin1().toStdString();
}

} // namespace

TOptionsForm::TOptionsForm(Session& session, Prompter& prompter, QWidget* window,
                           std::function<int(QDialog&)> runDialog)
    : QDialog(window), m_session(session), m_prompter(prompter), m_runDialog(std::move(runDialog))
{
    setObjectName(QStringLiteral("OptionsForm"));
    setWindowTitle(QStringLiteral("Program Options"));
    setFont(QFont(QStringLiteral("Arial"), 8));

    ConnectionGroupBox =
        Named(new QGroupBox(QStringLiteral("Tarvin Connection"), this), "ConnectionGroupBox");
    SerialRadioButton =
        Named(new QRadioButton(QStringLiteral("Serial"), ConnectionGroupBox), "SerialRadioButton");
    SerialRadioButton->setChecked(true);
    ComComboBox1 = Named(new QComboBox(ConnectionGroupBox), "ComComboBox1");
    // Pseudo-terminals and some adapters are not listed: a name can be typed.
    ComComboBox1->setEditable(true);
    ComComboBox1->setInsertPolicy(QComboBox::NoInsert);
    SerialSetupButton =
        Named(new QPushButton(QStringLiteral("Setup"), ConnectionGroupBox), "SerialSetupButton");
    SerialSetupButton->setAutoDefault(false);
    TCPIPRadioButton =
        Named(new QRadioButton(QStringLiteral("TCP/IP"), ConnectionGroupBox), "TCPIPRadioButton");
    IPAddressEdit = Named(new QLineEdit(ConnectionGroupBox), "IPAddressEdit");
    PortSpinEdit = Named(new QSpinBox(ConnectionGroupBox), "PortSpinEdit");
    PortSpinEdit->setRange(INT_MIN, INT_MAX);
    auto* connection = new QGridLayout(ConnectionGroupBox);
    connection->addWidget(SerialRadioButton, 0, 0);
    connection->addWidget(ComComboBox1, 0, 1);
    connection->addWidget(SerialSetupButton, 1, 1);
    connection->addWidget(TCPIPRadioButton, 2, 0);
    connection->addWidget(new QLabel(QStringLiteral("IP Address"), ConnectionGroupBox), 3, 0);
    connection->addWidget(IPAddressEdit, 3, 1);
    connection->addWidget(new QLabel(QStringLiteral("Port"), ConnectionGroupBox), 4, 0);
    connection->addWidget(PortSpinEdit, 4, 1);
    PortNoteLabel = Named(new QLabel(ConnectionGroupBox), "PortNoteLabel");
    PortNoteLabel->setWordWrap(true);
    PortNoteLabel->hide();
    connection->addWidget(PortNoteLabel, 5, 0, 1, 2);

    DecodeGroupBox = Named(new QGroupBox(QStringLiteral("Decode Options"), this), "DecodeGroupBox");
    ShowNetworkCheckBox =
        Named(new QCheckBox(QStringLiteral("Show Network"), DecodeGroupBox), "ShowNetworkCheckBox");
    ShowUnitCheckBox = Named(new QCheckBox(QStringLiteral("Show Unit Address"), DecodeGroupBox),
                             "ShowUnitCheckBox");
    ShowApplicationCheckBox =
        Named(new QCheckBox(QStringLiteral("Show Application"), DecodeGroupBox),
              "ShowApplicationCheckBox");
    ShowMessageCheckBox =
        Named(new QCheckBox(QStringLiteral("Show Message"), DecodeGroupBox), "ShowMessageCheckBox");
    auto* decode = new QVBoxLayout(DecodeGroupBox);
    for (QCheckBox* box :
         {ShowNetworkCheckBox, ShowUnitCheckBox, ShowApplicationCheckBox, ShowMessageCheckBox})
        decode->addWidget(box);

    LogGroupBox = Named(new QGroupBox(QStringLiteral("Log Date and Time"), this), "LogGroupBox");
    TimeDecimalPlacesSpinEdit = Named(new QSpinBox(LogGroupBox), "TimeDecimalPlacesSpinEdit");
    TimeDecimalPlacesSpinEdit->setRange(0, 2);
    ShowDateCheckBox =
        Named(new QCheckBox(QStringLiteral("Show Date"), LogGroupBox), "ShowDateCheckBox");
    auto* log = new QGridLayout(LogGroupBox);
    log->addWidget(new QLabel(QStringLiteral("Time Decimal Places"), LogGroupBox), 0, 0);
    log->addWidget(TimeDecimalPlacesSpinEdit, 0, 1);
    log->addWidget(ShowDateCheckBox, 1, 0, 1, 2);

    RadioGroup1 = Named(new QGroupBox(QStringLiteral("Lists"), this), "RadioGroup1");
    SeparateListsRadioButton =
        Named(new QRadioButton(QStringLiteral("Separate Transmit and Receive Lists"), RadioGroup1),
              "SeparateListsRadioButton");
    CombinedListsRadioButton =
        Named(new QRadioButton(QStringLiteral("Combined Transmit and Receive Lists"), RadioGroup1),
              "CombinedListsRadioButton");
    SeparateListsRadioButton->setChecked(true);
    auto* lists = new QVBoxLayout(RadioGroup1);
    lists->addWidget(SeparateListsRadioButton);
    lists->addWidget(CombinedListsRadioButton);

    OKBitBtn = Named(new QPushButton(QStringLiteral("OK"), this), "OKBitBtn");
    OKBitBtn->setDefault(true);
    CancelBitBtn = Named(new QPushButton(QStringLiteral("Cancel"), this), "CancelBitBtn");
    CancelBitBtn->setAutoDefault(false);
    HelpBitBtn = Named(new QPushButton(QStringLiteral("&Help"), this), "HelpBitBtn");
    HelpBitBtn->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(OKBitBtn);
    buttons->addWidget(CancelBitBtn);
    buttons->addWidget(HelpBitBtn);

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ConnectionGroupBox);
    layout->addWidget(DecodeGroupBox);
    layout->addWidget(LogGroupBox);
    layout->addWidget(RadioGroup1);
    layout->addStretch(1);
    m_scroll = ScrollWhenTooSmall(this, content, buttons);
    resize(271, kHeight);
    MakeResizable(this);

    connect(OKBitBtn, &QPushButton::clicked, this, &TOptionsForm::OKBitBtnClick);
    connect(CancelBitBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBitBtn, &QPushButton::clicked, this, &TOptionsForm::HelpBitBtnClick);
    connect(SerialSetupButton, &QPushButton::clicked, this, &TOptionsForm::SerialSetupButtonClick);
    connect(SerialRadioButton, &QRadioButton::toggled, this, &TOptionsForm::EnableChoices);
    FormCreate();
}

void TOptionsForm::FormCreate()
{
    RadioGroup1->hide();
}

void TOptionsForm::showListsChoice(bool on)
{
    RadioGroup1->setVisible(on);
    fitHeight();
}

void TOptionsForm::fitHeight()
{
    // Taller by the port note or the lists choice when they show, so the
    // layout squeezes nothing; never shorter than designed.
    ContentChanged(m_scroll);
    SetDesignedSize(this, QSize(271, std::max(kHeight, sizeHint().height())));
}

void TOptionsForm::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TOptionsForm::FormShow()
{
    const Settings& s = m_session.settings();
    const QString port = Latin1(s.comPort);
    if (s.combineLists)
        CombinedListsRadioButton->setChecked(true);

    ShowSerialPorts(port, !s.usesTcp());

    ShowUnitCheckBox->setChecked(s.showUnit);
    ShowNetworkCheckBox->setChecked(s.showNetwork);
    ShowApplicationCheckBox->setChecked(s.showApplication);
    ShowMessageCheckBox->setChecked(s.showMessage);
    ShowDateCheckBox->setChecked(s.showDate);
    TimeDecimalPlacesSpinEdit->setValue(s.timeDP);

    if (s.usesTcp())
        TCPIPRadioButton->setChecked(true);
    else
        SerialRadioButton->setChecked(true);
    IPAddressEdit->setText(Latin1(s.ipAddress));
    PortSpinEdit->setValue(s.port);

    fitHeight();
    EnableChoices();
}

void TOptionsForm::EnableChoices()
{
    // While a link is open its settings are not to be changed; otherwise
    // only the chosen connection's own settings apply.
    const bool free = !m_session.link().CommsOpen();
    const bool serial = SerialRadioButton->isChecked();
    SerialRadioButton->setEnabled(free);
    TCPIPRadioButton->setEnabled(free);
    for (QWidget* w : std::initializer_list<QWidget*>{ComComboBox1, SerialSetupButton})
        w->setEnabled(free && serial);
    for (QWidget* w : std::initializer_list<QWidget*>{IPAddressEdit, PortSpinEdit})
        w->setEnabled(free && !serial);
}

void TOptionsForm::ShowSerialPorts(const QString& stored, bool serialChosen)
{
    // The computer's ports may have changed since the last showing.
    const QStringList listed = ListedSerialPorts();
    ComComboBox1->clear();
    ComComboBox1->addItems(listed);
    PortNoteLabel->hide();
    if (SerialPortPresent(stored, listed)) {
        ComComboBox1->setCurrentIndex(ComComboBox1->findText(stored, Qt::MatchExactly));
        // An unlisted name selects nothing but stays typed, so OK keeps it.
        ComComboBox1->setEditText(stored);
        return;
    }
    // A stored port that is not here (the first run's default, an adapter
    // unplugged) would only fail at connect: offer one that is.
    ComComboBox1->setCurrentIndex(listed.isEmpty() ? -1 : 0);
    ComComboBox1->setEditText(listed.value(0));
    if (!serialChosen)
        return;
    const QString missing = stored.isEmpty()
                                ? QStringLiteral("No serial port was chosen")
                                : QStringLiteral("%1 is not on this computer").arg(stored);
    PortNoteLabel->setText(listed.isEmpty()
                               ? missing + QStringLiteral(", and it lists no serial ports: type "
                                                          "the port's name or device path.")
                               : missing + QStringLiteral(": %1 is chosen.").arg(listed.first()));
    PortNoteLabel->show();
}

QString TOptionsForm::ConnectionRefusal() const
{
    if (m_session.link().CommsOpen() || !TCPIPRadioButton->isChecked())
        return {};
    if (IPAddressEdit->text().trimmed().isEmpty())
        return QStringLiteral("Enter the IP address of the Socketbox.");
    if (PortSpinEdit->value() < 1 || PortSpinEdit->value() > 65535)
        return QStringLiteral("The Socketbox port must be a number from 1 to 65535.");
    return {};
}

void TOptionsForm::OKBitBtnClick()
{
    // Settings that cannot connect are refused here, where they can be
    // mended, rather than at connect time.
    const QString refusal = ConnectionRefusal();
    if (!refusal.isEmpty()) {
        m_prompter.message(this, Prompter::Icon::Warning, refusal);
        return;
    }
    // The connection stays as it is while the link is open.
    Settings& s = m_chosen;
    s = m_session.settings();
    if (!m_session.link().CommsOpen()) {
        s.comPort = Bytes(ComComboBox1->currentText().trimmed());
        s.connectionType = SerialRadioButton->isChecked() ? 0 : 1;
        s.ipAddress = Bytes(IPAddressEdit->text().trimmed());
        s.port = PortSpinEdit->value();
    }
    s.combineLists = CombinedListsRadioButton->isChecked();
    s.showUnit = ShowUnitCheckBox->isChecked();
    s.showNetwork = ShowNetworkCheckBox->isChecked();
    s.showApplication = ShowApplicationCheckBox->isChecked();
    s.showMessage = ShowMessageCheckBox->isChecked();
    s.showDate = ShowDateCheckBox->isChecked();
    s.timeDP = TimeDecimalPlacesSpinEdit->value();
    accept();
}

void TOptionsForm::HelpBitBtnClick()
{
    emit helpRequested(10);
}

void TOptionsForm::SerialSetupButtonClick()
{
    SerialSetupDialog dialog(m_session.link().serial(), ComComboBox1->currentText().trimmed(),
                             this);
    if (m_runDialog(dialog) != QDialog::Accepted)
        return;
    // The link opens the port named in the settings, so the name chosen in
    // the setup goes into the port list too, where OK stores it.
    if (!dialog.portName().isEmpty()) {
        ComComboBox1->setCurrentIndex(ComComboBox1->findText(dialog.portName()));
        ComComboBox1->setEditText(dialog.portName());
    }
}

} // namespace tarvin
