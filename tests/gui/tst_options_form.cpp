// "Program Options" on the session: loading from the live settings on every
// showing, what OK chooses and Cancel leaves, the lock while a link is open,
// and the serial setup; and the window applying what the dialog chose.
#include <QtTest>

#include "gui/app/main_form.h"
#include "gui/app/options_form.h"
#include "gui/app/serial_setup_dialog.h"
#include "scripted_prompter.h"
#include "session/link_session.h"
#include "session/session.h"
#include "session/transports.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTcpServer>
#include <QTemporaryDir>

using namespace tarvin;

namespace {

// A port that is there but not listed among the system's serial ports, and
// one that is not there at all (Wine, like many machines, has a COM1).
#ifdef Q_OS_WIN
const QString kUnlistedPort = QStringLiteral("NUL");
#else
const QString kUnlistedPort = QStringLiteral("/dev/ptmx");
#endif
const QString kMissingPort = QStringLiteral("COM199");

// The dialog on a session, without the window. show() runs `act` while the
// dialog is shown and, on OK, applies its choice as the window does.
struct Options
{
    ScriptedPrompter prompts;
    Session session;
    QWidget window;
    std::function<int(QDialog&)> run = [](QDialog&) { return int(QDialog::Rejected); };
    TOptionsForm dialog{session, prompts, &window, [this](QDialog& d) { return run(d); }};
    Settings& settings() { return session.settings(); }

    bool show(const std::function<void(TOptionsForm&)>& act)
    {
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        act(dialog);
        const bool accepted = dialog.result() == QDialog::Accepted;
        dialog.hide();
        if (accepted)
            session.setSettings(dialog.chosen());
        return accepted;
    }
};

} // namespace

class TestOptionsForm : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
        qputenv("TARVIN_DATA_DIR", m_config.path().toLocal8Bit());
    }

    // Each test starts from an empty store (the forms save theirs at exit).
    void init()
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Ostrel"),
                    QStringLiteral("Tarvin Diagnostic"));
        s.clear();
        s.sync();
    }

    void loadsAndChoosesOnOk()
    {
        Options form;
        form.settings().comPort = kUnlistedPort.toStdString();
        QVERIFY(form.show([&](TOptionsForm& o) {
            QCOMPARE(o.windowTitle(), QStringLiteral("Program Options"));
            QCOMPARE(o.size(), QSize(271, 468));
            QVERIFY(!o.findChild<QGroupBox*>(QStringLiteral("RadioGroup1"))->isVisible());
            QCOMPARE(o.ComComboBox1->currentIndex(), -1);
            QCOMPARE(o.ComComboBox1->currentText(), kUnlistedPort);
            QVERIFY(o.SerialRadioButton->isChecked());
            QCOMPARE(o.IPAddressEdit->text(), QStringLiteral("192.168.0.1"));
            QCOMPARE(o.PortSpinEdit->value(), 14000);
            QVERIFY(o.ShowMessageCheckBox->isChecked());
            QVERIFY(!o.ShowUnitCheckBox->isChecked());
            QVERIFY(o.ComComboBox1->isEnabled());
            QVERIFY(o.SerialSetupButton->isEnabled());
            // OK without changes keeps the typed port name.
            o.OKBitBtn->click();
        }));
        QCOMPARE(QString::fromStdString(form.settings().comPort), kUnlistedPort);
        QCOMPARE(form.settings().connectionType, 0);

        form.show([&form](TOptionsForm& o) {
            o.TCPIPRadioButton->setChecked(true);
            o.IPAddressEdit->setText(QStringLiteral("127.0.0.1"));
            o.PortSpinEdit->setValue(14001);
            o.ShowMessageCheckBox->setChecked(false);
            o.ShowUnitCheckBox->setChecked(true);
            o.ShowNetworkCheckBox->setChecked(true);
            o.ShowDateCheckBox->setChecked(true);
            o.TimeDecimalPlacesSpinEdit->setValue(2);
            o.OKBitBtn->click();
            // The dialog only chooses; the caller applies.
            QCOMPARE(o.chosen().port, 14001);
            QCOMPARE(o.chosen().timeDP, 2);
            QCOMPARE(form.settings().port, 14000);
        });
        QCOMPARE(form.settings().connectionType, 1);
        QCOMPARE(QString::fromStdString(form.settings().ipAddress), QStringLiteral("127.0.0.1"));
        QCOMPARE(form.settings().port, 14001);
        QCOMPARE(form.session.decodeOptions(), 1 + 2);
        QVERIFY(form.settings().showDate);
        QCOMPARE(form.settings().timeDP, 2);
        QVERIFY(form.settings().combineLists); // the hidden choice follows the setting

        // The next showing reloads from the settings; Cancel changes nothing.
        QVERIFY(!form.show([](TOptionsForm& o) {
            QVERIFY(o.TCPIPRadioButton->isChecked());
            QCOMPARE(o.TimeDecimalPlacesSpinEdit->value(), 2);
            o.ShowMessageCheckBox->setChecked(true);
            o.SerialRadioButton->setChecked(true);
            o.TimeDecimalPlacesSpinEdit->setValue(0);
            o.CancelBitBtn->click();
        }));
        QCOMPARE(form.session.decodeOptions(), 1 + 2);
        QCOMPARE(form.settings().connectionType, 1);
        QCOMPARE(form.settings().timeDP, 2);
    }

    void refusesSettingsThatCannotConnect_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("refusal");
        const QString noAddress = QStringLiteral("Enter the IP address of the Socketbox.");
        const QString badPort =
            QStringLiteral("The Socketbox port must be a number from 1 to 65535.");
        QTest::newRow("empty address") << QString() << 14000 << noAddress;
        QTest::newRow("blank address") << QStringLiteral("  ") << 14000 << noAddress;
        QTest::newRow("port 0") << QStringLiteral("127.0.0.1") << 0 << badPort;
        QTest::newRow("port 65536") << QStringLiteral("127.0.0.1") << 65536 << badPort;
        QTest::newRow("port 99999") << QStringLiteral("127.0.0.1") << 99999 << badPort;
        QTest::newRow("port 1") << QStringLiteral("127.0.0.1") << 1 << QString();
        QTest::newRow("port 65535") << QStringLiteral("10.0.0.1") << 65535 << QString();
    }
    void refusesSettingsThatCannotConnect()
    {
        QFETCH(QString, address);
        QFETCH(int, port);
        QFETCH(QString, refusal);
        Options form;
        bool stillOpen = false;
        form.show([&](TOptionsForm& o) {
            o.TCPIPRadioButton->setChecked(true);
            o.IPAddressEdit->setText(address);
            o.PortSpinEdit->setValue(port);
            o.OKBitBtn->click();
            stillOpen = o.isVisible();
        });
        QCOMPARE(form.prompts.messages(), refusal.isEmpty() ? QStringList() : QStringList{refusal});
        QCOMPARE(stillOpen, !refusal.isEmpty());
        // A refusal keeps every setting as it was.
        QCOMPARE(form.settings().connectionType, refusal.isEmpty() ? 1 : 0);
        QCOMPARE(form.settings().port, refusal.isEmpty() ? port : 14000);
    }

    void storedPortThatIsNotThere()
    {
        Options form;
        form.settings().comPort = kMissingPort.toStdString();
        const QStringList listed = ListedSerialPorts();
        form.show([&](TOptionsForm& o) {
            QCOMPARE(o.ComComboBox1->currentText(), listed.value(0));
            QVERIFY(o.PortNoteLabel->isVisible());
            QVERIFY(o.PortNoteLabel->text().startsWith(kMissingPort +
                                                       QLatin1String(" is not on this computer")));
            o.OKBitBtn->click();
        });
        QCOMPARE(QString::fromStdString(form.settings().comPort), listed.value(0));
        // Over TCP the serial port does not matter: nothing to say.
        form.settings().comPort = "COM1";
        form.settings().connectionType = 1;
        form.settings().ipAddress = "127.0.0.1";
        form.show([&](TOptionsForm& o) { QVERIFY(!o.PortNoteLabel->isVisible()); });
    }

    // Only the chosen connection's own settings are enabled, following the
    // choice as it is made.
    void enablesTheChosenConnection()
    {
        Options form;
        form.show([](TOptionsForm& o) {
            const auto serialSide = [&o](bool on) {
                return o.ComComboBox1->isEnabled() == on &&
                       o.SerialSetupButton->isEnabled() == on &&
                       o.IPAddressEdit->isEnabled() == !on && o.PortSpinEdit->isEnabled() == !on;
            };
            QVERIFY(o.SerialRadioButton->isChecked());
            QVERIFY(serialSide(true));
            o.TCPIPRadioButton->click();
            QVERIFY(serialSide(false));
            o.SerialRadioButton->click();
            QVERIFY(serialSide(true));
            QVERIFY(o.TCPIPRadioButton->isEnabled());
            o.CancelBitBtn->click();
        });
    }

    void lockedWhileConnected()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        Options form;
        form.settings().connectionType = 1;
        form.settings().ipAddress = "127.0.0.1";
        form.settings().port = server.serverPort();
        QVERIFY(form.session.link().OpenComms());
        QTRY_VERIFY_WITH_TIMEOUT(form.session.link().CommsOpen(), 5000);

        form.show([](TOptionsForm& o) {
            for (QWidget* w : std::initializer_list<QWidget*>{o.ComComboBox1, o.SerialRadioButton,
                                                              o.TCPIPRadioButton, o.IPAddressEdit,
                                                              o.PortSpinEdit, o.SerialSetupButton})
                QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
            QVERIFY(o.ShowMessageCheckBox->isEnabled());
            // Whatever the locked controls hold, OK leaves the link settings.
            o.SerialRadioButton->setChecked(true);
            o.IPAddressEdit->setText(QStringLiteral("127.0.0.2"));
            o.PortSpinEdit->setValue(1);
            o.ComComboBox1->setEditText(QStringLiteral("COM9"));
            o.ShowApplicationCheckBox->setChecked(true);
            o.OKBitBtn->click();
        });
        QCOMPARE(form.settings().connectionType, 1);
        QCOMPARE(QString::fromStdString(form.settings().ipAddress), QStringLiteral("127.0.0.1"));
        QCOMPARE(form.settings().port, int(server.serverPort()));
        QCOMPARE(QString::fromStdString(form.settings().comPort), QStringLiteral("COM1"));
        QCOMPARE(form.session.decodeOptions(), 4 + 8); // the display options still apply
        QVERIFY(form.session.link().CommsOpen());
        form.session.Disconnect();

        form.show([](TOptionsForm& o) {
            QVERIFY(o.IPAddressEdit->isEnabled());
            o.CancelBitBtn->click();
        });
    }

    void serialSetupActsOnThePortObject()
    {
        ScriptedPrompter prompts;
        TMainForm form({}, &prompts);
        form.show();
        SerialTransport& port = form.link().serial();
        QCOMPARE(port.line().baudRate, 9600);
        bool setupShown = false;
        form.setDialogRunner([&](QDialog& d) {
            d.show();
            if (auto* options = qobject_cast<TOptionsForm*>(&d)) {
                options->SerialSetupButton->click();
                // Cancel: the serial settings stay, they were never stored.
                options->CancelBitBtn->click();
            } else if (auto* setup = qobject_cast<SerialSetupDialog*>(&d)) {
                setupShown = true;
                setup->PortComboBox->setEditText(QStringLiteral("/dev/pts/42"));
                setup->BaudRateComboBox->setEditText(QStringLiteral("19200"));
                setup->ParityComboBox->setCurrentIndex(
                    setup->ParityComboBox->findText(QStringLiteral("Even")));
                setup->StopBitsComboBox->setCurrentIndex(
                    setup->StopBitsComboBox->findText(QStringLiteral("2")));
                setup->DataBitsComboBox->setCurrentIndex(
                    setup->DataBitsComboBox->findText(QStringLiteral("7")));
                setup->OKButton->click();
            }
            const int result = d.result();
            d.hide();
            return result;
        });
        form.ProgramOptions1->trigger();
        QVERIFY(setupShown);
        QCOMPARE(port.line().baudRate, 19200);
        QCOMPARE(port.line().parity, SerialLine::Parity::Even);
        QCOMPARE(port.line().stopBits, SerialLine::StopBits::Two);
        QCOMPARE(port.line().dataBits, 7);
        QCOMPARE(port.portName(), QStringLiteral("/dev/pts/42"));
        QVERIFY(form.settings().comPort != "/dev/pts/42");

        // With OK the chosen port name is the one stored.
        form.setDialogRunner([&](QDialog& d) {
            d.show();
            if (auto* options = qobject_cast<TOptionsForm*>(&d)) {
                options->SerialSetupButton->click();
                options->OKBitBtn->click();
            } else if (auto* setup = qobject_cast<SerialSetupDialog*>(&d)) {
                setup->PortComboBox->setEditText(QStringLiteral("/dev/pts/43"));
                setup->OKButton->click();
            }
            const int result = d.result();
            d.hide();
            return result;
        });
        form.ProgramOptions1->trigger();
        QCOMPARE(QString::fromStdString(form.settings().comPort), QStringLiteral("/dev/pts/43"));
    }
};

QTEST_MAIN(TestOptionsForm)
#include "tst_options_form.moc"
