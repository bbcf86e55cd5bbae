#pragma once
// The two ways to reach the interface: a PCI on a serial port and a
// Socketbox over TCP. The rest of the program sees only Transport.

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QTcpSocket>

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

class SerialTransport : public Transport
{
    Q_OBJECT
public:
    explicit SerialTransport(QObject* parent = nullptr);

    // Opens `portName` (a name from the port list or a device path) with the
    // line settings of port(); false with errorString() on failure.
    bool open(const QString& portName);
    bool isOpen() const override;
    void close() override;
    void write(const QByteArray& bytes) override;
    void setSoftwareFlowControl(bool on);
    QString errorString() const;

    // The port object, whose line settings the setup dialog edits.
    QSerialPort& port() { return m_port; }

private:
    void readWaiting();

    QSerialPort m_port;
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
