#pragma once
// The two ways to reach the interface: a PCI on a serial port and a
// Socketbox over TCP. The rest of the program sees only Transport.

#include <QByteArray>
#include <QObject>
#include <QTcpSocket>

#include <memory>

namespace tarvin {

class Transport : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    virtual void write(const QByteArray& bytes) = 0;

signals:
    void received(const QByteArray& bytes);
    // A failure the user should hear about, with the system's code.
    void failed(int code, const QString& text);
};

// The serial ports the system lists, by name.
QStringList ListedSerialPorts();
// Whether `name` is a port that is there: one of the `listed` ports, or a
// device that exists (pseudo-terminals and some adapters are never listed).
bool SerialPortPresent(const QString& name, const QStringList& listed);

// The line settings of a serial port, whichever system drives it.
struct SerialLine
{
    enum class Parity
    {
        None,
        Even,
        Odd,
        Mark,
        Space
    };
    enum class StopBits
    {
        One,
        OneAndHalf,
        Two
    };
    enum class FlowControl
    {
        None,
        Hardware,
        Software
    };

    qint32 baudRate = 9600;
    int dataBits = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    FlowControl flowControl = FlowControl::None;

    friend bool operator==(const SerialLine& a, const SerialLine& b)
    {
        return a.baudRate == b.baudRate && a.dataBits == b.dataBits && a.parity == b.parity &&
               a.stopBits == b.stopBits && a.flowControl == b.flowControl;
    }
};

// The name Windows opens a port by: "COM12" needs the device namespace
// ("\\.\COM12"), which serves every port number; a name given with it is
// kept as it is.
QString WindowsSerialDevicePath(const QString& name);
// Windows port names in the order a user counts them: COM2 before COM10.
QStringList SortedSerialPortNames(QStringList names);

class SerialTransport : public Transport
{
    Q_OBJECT
public:
    explicit SerialTransport(QObject* parent = nullptr);
    ~SerialTransport() override;

    // Opens `portName` (a name from the port list or a device path) with
    // line() at 9600 8N1 unless set otherwise, without flow control, DTR on
    // and RTS off; false with errorString() on failure.
    bool open(const QString& portName);
    bool isOpen() const override;
    void close() override;
    void write(const QByteArray& bytes) override;
    void setSoftwareFlowControl(bool on);
    QString errorString() const;

    // The port name last opened or set; it changes only while closed.
    QString portName() const { return m_portName; }
    void setPortName(const QString& name);
    // The line settings, applied at once to an open port.
    const SerialLine& line() const { return m_line; }
    void setLine(const SerialLine& line);

private:
    // The system's side of the port: QSerialPort, or the Win32 API where
    // Qt's serial port module is not to be had.
    class Port;

    std::unique_ptr<Port> m_port;
    QString m_portName;
    SerialLine m_line;
};

class TcpTransport : public Transport
{
    Q_OBJECT
public:
    explicit TcpTransport(QObject* parent = nullptr);

    // Starts connecting; connectedChanged() follows.
    void connectTo(const QString& address, quint16 port);
    bool isOpen() const override;
    bool isConnected() const;
    void close() override;
    void write(const QByteArray& bytes) override;

    QTcpSocket& socket() { return m_socket; }

signals:
    void stateChanged();

private:
    QTcpSocket m_socket;
};

} // namespace tarvin
