// The serial transport at the system boundary: port names as Windows needs
// them, bytes both ways with the line settings on the device, failures with
// the system's text, and where the program's files go.
#include "session/session.h"
#include "session/transports.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#endif

using namespace tarvin;

namespace {

QStringList Names(const char* text)
{
    return QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts);
}

} // namespace

class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void windowsDevicePaths_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        // Above COM9 the bare name opens nothing on Windows.
        for (const char* name : {"COM1", "COM12", "CNCA0"})
            QTest::newRow(name) << QString::fromLatin1(name)
                                << QStringLiteral("\\\\.\\") + QString::fromLatin1(name);
        QTest::newRow("given with the prefix")
            << QStringLiteral("\\\\.\\COM12") << QStringLiteral("\\\\.\\COM12");
    }
    void windowsDevicePaths()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(WindowsSerialDevicePath(name), path);
    }

    void portsInTheOrderUsersCount_data()
    {
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("numbers") << Names("COM10 COM2 COM1") << Names("COM1 COM2 COM10");
        QTest::newRow("listed twice") << Names("COM3 COM3 COM1") << Names("COM1 COM3");
        QTest::newRow("other names after COM")
            << Names("CNCB0 COM11 COM4") << Names("CNCB0 COM4 COM11");
        QTest::newRow("none") << QStringList() << QStringList();
    }
    void portsInTheOrderUsersCount()
    {
        QFETCH(QStringList, listed);
        QFETCH(QStringList, sorted);
        QCOMPARE(SortedSerialPortNames(listed), sorted);
    }

    void aPortThatIsNotThereSaysWhy()
    {
        SerialTransport port;
#ifdef Q_OS_WIN
        const QString name = QStringLiteral("COM231");
#else
        const QString name = QStringLiteral("/dev/tarvin-no-such-port");
#endif
        QVERIFY(!SerialPortPresent(name, ListedSerialPorts()));
        QVERIFY(!port.open(name));
        QVERIFY(!port.isOpen());
        QVERIFY(!port.errorString().isEmpty());
        // Closing and writing to a port that never opened change nothing.
        port.write("X\r");
        port.close();
        QVERIFY(!port.isOpen());
    }

    void bytesBothWaysWithTheLineSettings()
    {
#ifdef Q_OS_WIN
        QSKIP("needs a pseudo-terminal; Windows ports are tried end to end under Wine");
#else
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const QString path = QString::fromLatin1(::ptsname(master));
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

        SerialTransport port;
        SerialLine line = port.line();
        QCOMPARE(line.baudRate, 9600);
        QCOMPARE(line.dataBits, 8);
        QCOMPARE(line.parity, SerialLine::Parity::None);
        QCOMPARE(line.stopBits, SerialLine::StopBits::One);
        QVERIFY(SerialPortPresent(path, ListedSerialPorts()));
        QVERIFY2(port.open(path), qPrintable(port.errorString()));
        QCOMPARE(port.portName(), path);
        // The name is kept while the port is open.
        port.setPortName(QStringLiteral("/dev/other"));
        QCOMPARE(port.portName(), path);

        const int slave = ::open(path.toLatin1().constData(), O_RDWR | O_NOCTTY);
        QVERIFY(slave >= 0);
        termios settings{};
        QVERIFY(::tcgetattr(slave, &settings) == 0);
        QCOMPARE(::cfgetospeed(&settings), speed_t(B9600));
        QCOMPARE(settings.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(settings.c_cflag & (PARENB | CSTOPB), tcflag_t(0));
        QCOMPARE(settings.c_iflag & (IXON | IXOFF), tcflag_t(0));

        // Settings change on the open port at once.
        port.setSoftwareFlowControl(true);
        line.parity = SerialLine::Parity::Even;
        line.stopBits = SerialLine::StopBits::Two;
        line.flowControl = SerialLine::FlowControl::Software;
        port.setLine(line);
        QCOMPARE(port.line(), line);
        QVERIFY(::tcgetattr(slave, &settings) == 0);
        // (A pseudo-terminal keeps 8 bits without parity whatever is asked.)
        QCOMPARE(settings.c_cflag & CSTOPB, tcflag_t(CSTOPB));
        QVERIFY(settings.c_iflag & IXON);
        ::close(slave);

        QSignalSpy received(&port, &SerialTransport::received);
        QVERIFY(::write(master, "AB\r", 3) == 3);
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while (got.size() < 3 && clock.elapsed() < 5000) {
            received.wait(200);
            while (!received.isEmpty())
                got += received.takeFirst().at(0).toByteArray();
        }
        QCOMPARE(got, QByteArray("AB\r"));

        port.write("\\05FF00\r");
        QByteArray sent;
        clock.restart();
        while (sent.size() < 8 && clock.elapsed() < 5000) {
            QTest::qWait(20);
            char buffer[64];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0)
                sent.append(buffer, n);
        }
        QCOMPARE(sent, QByteArray("\\05FF00\r"));

        // Opening again reuses the open port; a new open starts without flow
        // control, as the link expects.
        QVERIFY(port.open(path));
        port.close();
        QVERIFY(!port.isOpen());
        QVERIFY(port.open(path));
        QCOMPARE(port.line().flowControl, SerialLine::FlowControl::None);
        port.close();
        ::close(master);
#endif
    }

    void filesGoWhereAFileCanBeMade()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(FolderTakesFiles(dir.path()));
        // Trying leaves nothing behind.
        QVERIFY(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
        QVERIFY(!FolderTakesFiles(dir.filePath(QStringLiteral("missing"))));
    }
};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serial_port.moc"
