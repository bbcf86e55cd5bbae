// SerialTransport on the Win32 API: the Windows build has no Qt serial port
// module. The port is opened for overlapped I/O; a read and each write are
// outstanding operations whose events QWinEventNotifier hands to the event
// loop, so nothing blocks the window.
#include "session/transports.h"

#include <QTimer>
#include <QWinEventNotifier>

#include <qt_windows.h>

namespace tarvin {

namespace {

QString SystemText(DWORD code)
{
    return qt_error_string(static_cast<int>(code));
}

} // namespace

QStringList ListedSerialPorts()
{
    QStringList names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        wchar_t valueName[256];
        DWORD valueNameSize = 256;
        wchar_t data[256];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, i, valueName, &valueNameSize, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        // The data need not end in a null character.
        QString name =
            QString::fromWCharArray(data, static_cast<qsizetype>(dataSize / sizeof(wchar_t)));
        name.truncate(name.indexOf(QChar(0)) < 0 ? name.size() : name.indexOf(QChar(0)));
        if (!name.isEmpty())
            names << name;
    }
    RegCloseKey(key);
    return SortedSerialPortNames(names);
}

bool SerialPortPresent(const QString& name, const QStringList& listed)
{
    if (name.isEmpty())
        return false;
    QString bare = name;
    if (bare.startsWith(QLatin1String("\\\\.\\")))
        bare.remove(0, 4);
    for (const QString& port : listed) {
        if (port.compare(bare, Qt::CaseInsensitive) == 0)
            return true;
    }
    // Ports that are there but not listed (some adapters, Wine's links to
    // devices) still have a device name.
    wchar_t target[512];
    return QueryDosDeviceW(reinterpret_cast<const wchar_t*>(bare.utf16()), target, 512) != 0;
}

class SerialTransport::Port
{
public:
    explicit Port(SerialTransport& owner) : m_owner(owner)
    {
        m_read.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_write.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_readNotifier.setHandle(m_read.hEvent);
        m_writeNotifier.setHandle(m_write.hEvent);
        QObject::connect(&m_readNotifier, &QWinEventNotifier::activated, &owner,
                         [this] { readDone(); });
        QObject::connect(&m_writeNotifier, &QWinEventNotifier::activated, &owner,
                         [this] { writeDone(); });
    }

    ~Port()
    {
        close();
        m_readNotifier.setEnabled(false);
        m_writeNotifier.setEnabled(false);
        CloseHandle(m_read.hEvent);
        CloseHandle(m_write.hEvent);
    }

    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;

    bool isOpen() const { return m_handle != INVALID_HANDLE_VALUE; }

    bool open(const QString& name, const SerialLine& line)
    {
        const QString path = WindowsSerialDevicePath(name);
        m_handle = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()),
                               GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr);
        if (m_handle == INVALID_HANDLE_VALUE)
            return fail(GetLastError());
        // A read waits for the first byte, then ends once the line has been
        // quiet for 10 ms (a byte takes about 1 ms at 9600 baud). Waiting
        // for the port's receive event instead fails on some ports: Wine,
        // for one, gives it up on ports without modem lines, and leaves
        // reads with a total time-out waiting even when bytes have come.
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = 10;
        if (!apply(line)) {
            closeHandle();
            return false;
        }
        if (!SetCommTimeouts(m_handle, &timeouts) ||
            !PurgeComm(m_handle, PURGE_RXCLEAR | PURGE_TXCLEAR)) {
            const DWORD code = GetLastError();
            closeHandle();
            return fail(code);
        }
        m_error.clear();
        m_readNotifier.setEnabled(true);
        m_writeNotifier.setEnabled(true);
        startRead();
        return true;
    }

    void close()
    {
        if (!isOpen())
            return;
        m_readNotifier.setEnabled(false);
        m_writeNotifier.setEnabled(false);
        // The system writes into the OVERLAPPED blocks and the read buffer
        // until the outstanding operations end: cancel them and wait for
        // that before letting go.
        CancelIo(m_handle);
        DWORD done = 0;
        if (m_reading)
            GetOverlappedResult(m_handle, &m_read, &done, TRUE);
        if (m_writing)
            GetOverlappedResult(m_handle, &m_write, &done, TRUE);
        m_reading = m_writing = false;
        m_pending.clear();
        m_inFlight.clear();
        closeHandle();
    }

    void write(const QByteArray& bytes)
    {
        if (!isOpen())
            return;
        m_pending += bytes;
        if (!m_writing)
            startWrite();
    }

    bool apply(const SerialLine& line)
    {
        if (!isOpen())
            return true;
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(m_handle, &dcb))
            return fail(GetLastError());
        dcb.BaudRate = static_cast<DWORD>(line.baudRate);
        dcb.ByteSize = static_cast<BYTE>(line.dataBits);
        dcb.fBinary = TRUE;
        switch (line.parity) {
        case SerialLine::Parity::None:
            dcb.Parity = NOPARITY;
            break;
        case SerialLine::Parity::Even:
            dcb.Parity = EVENPARITY;
            break;
        case SerialLine::Parity::Odd:
            dcb.Parity = ODDPARITY;
            break;
        case SerialLine::Parity::Mark:
            dcb.Parity = MARKPARITY;
            break;
        case SerialLine::Parity::Space:
            dcb.Parity = SPACEPARITY;
            break;
        }
        dcb.fParity = line.parity != SerialLine::Parity::None;
        switch (line.stopBits) {
        case SerialLine::StopBits::One:
            dcb.StopBits = ONESTOPBIT;
            break;
        case SerialLine::StopBits::OneAndHalf:
            dcb.StopBits = ONE5STOPBITS;
            break;
        case SerialLine::StopBits::Two:
            dcb.StopBits = TWOSTOPBITS;
            break;
        }
        const bool hardware = line.flowControl == SerialLine::FlowControl::Hardware;
        const bool software = line.flowControl == SerialLine::FlowControl::Software;
        // DTR on and RTS off, as the interface expects, unless RTS/CTS
        // handshaking takes RTS over.
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fOutxCtsFlow = hardware;
        dcb.fRtsControl = hardware ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_DISABLE;
        dcb.fOutX = software;
        dcb.fInX = software;
        dcb.XonChar = 0x11;
        dcb.XoffChar = 0x13;
        dcb.XonLim = 128;
        dcb.XoffLim = 128;
        dcb.fNull = FALSE;
        dcb.fAbortOnError = FALSE;
        return SetCommState(m_handle, &dcb) || fail(GetLastError());
    }

    QString errorString() const { return m_error; }

private:
    bool fail(DWORD code)
    {
        m_error = SystemText(code);
        return false;
    }

    void closeHandle()
    {
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

    // Something went wrong on an open port: say so once, with the system's
    // text; the owner closes the port.
    void lost(DWORD code)
    {
        m_error = SystemText(code);
        emit m_owner.failed(static_cast<int>(code), m_error);
    }

    void startRead()
    {
        while (isOpen() && !m_reading) {
            ResetEvent(m_read.hEvent);
            DWORD got = 0;
            if (!ReadFile(m_handle, m_buffer.data(), static_cast<DWORD>(m_buffer.size()), &got,
                          &m_read)) {
                const DWORD code = GetLastError();
                if (code == ERROR_IO_PENDING)
                    m_reading = true;
                else
                    lost(code);
                return;
            }
            // Bytes were waiting already. A port that ends reads at once
            // even with nothing come is asked again shortly, not in a loop.
            if (!deliver(got))
                return;
            if (got == 0) {
                QTimer::singleShot(10, &m_owner, [this] { startRead(); });
                return;
            }
        }
    }

    void readDone()
    {
        // The events are reset by hand: one left set would wake the loop
        // again and again.
        ResetEvent(m_read.hEvent);
        if (!m_reading)
            return;
        m_reading = false;
        DWORD got = 0;
        if (!GetOverlappedResult(m_handle, &m_read, &got, FALSE)) {
            const DWORD code = GetLastError();
            if (code != ERROR_OPERATION_ABORTED)
                lost(code);
            return;
        }
        if (deliver(got))
            startRead();
    }

    // Hands on what a read got (nothing when it timed out); false when the
    // owner closed the port on it.
    bool deliver(DWORD got)
    {
        if (got > 0)
            emit m_owner.received(m_buffer.left(static_cast<qsizetype>(got)));
        return isOpen();
    }

    void startWrite()
    {
        while (isOpen() && !m_pending.isEmpty()) {
            m_inFlight = m_pending;
            m_pending.clear();
            ResetEvent(m_write.hEvent);
            DWORD written = 0;
            if (WriteFile(m_handle, m_inFlight.constData(), static_cast<DWORD>(m_inFlight.size()),
                          &written, &m_write)) {
                m_inFlight.remove(0, static_cast<qsizetype>(written));
                m_pending.prepend(m_inFlight);
                m_inFlight.clear();
                continue;
            }
            const DWORD code = GetLastError();
            if (code == ERROR_IO_PENDING) {
                m_writing = true;
            } else {
                m_pending.clear();
                lost(code);
            }
            return;
        }
    }

    void writeDone()
    {
        ResetEvent(m_write.hEvent);
        if (!m_writing)
            return;
        m_writing = false;
        DWORD written = 0;
        if (!GetOverlappedResult(m_handle, &m_write, &written, FALSE)) {
            const DWORD code = GetLastError();
            m_inFlight.clear();
            if (code != ERROR_OPERATION_ABORTED)
                lost(code);
            return;
        }
        // A write can end short (a timeout, flow control): keep the rest.
        m_inFlight.remove(0, static_cast<qsizetype>(written));
        m_pending.prepend(m_inFlight);
        m_inFlight.clear();
        startWrite();
    }

    SerialTransport& m_owner;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    OVERLAPPED m_read{};
    OVERLAPPED m_write{};
    QByteArray m_buffer = QByteArray(4096, Qt::Uninitialized);
    bool m_reading = false;
    bool m_writing = false;
    QByteArray m_inFlight;
    QByteArray m_pending;
    QString m_error;
    QWinEventNotifier m_readNotifier;
    QWinEventNotifier m_writeNotifier;
};

SerialTransport::SerialTransport(QObject* parent)
    : Transport(parent), m_port(std::make_unique<Port>(*this))
{
}

SerialTransport::~SerialTransport() = default;

bool SerialTransport::open(const QString& portName)
{
    if (m_port->isOpen())
        return true;
    m_line.flowControl = SerialLine::FlowControl::None;
    m_portName = portName;
    return m_port->open(portName, m_line);
}

bool SerialTransport::isOpen() const
{
    return m_port->isOpen();
}

void SerialTransport::close()
{
    m_port->close();
}

void SerialTransport::write(const QByteArray& bytes)
{
    m_port->write(bytes);
}

void SerialTransport::setLine(const SerialLine& line)
{
    m_line = line;
    m_port->apply(line);
}

QString SerialTransport::errorString() const
{
    return m_port->errorString();
}

} // namespace tarvin
