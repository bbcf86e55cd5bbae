// SerialTransport on the Win32 API: the Windows build has no Qt serial port
// module. The port is opened for overlapped I/O; a wait for received bytes
// and each write are outstanding operations whose events QWinEventNotifier
// hands to the event loop, so nothing blocks the window.
#include "session/transports.h"

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
        m_wait.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_write.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_read.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_waitNotifier.setHandle(m_wait.hEvent);
        m_writeNotifier.setHandle(m_write.hEvent);
        QObject::connect(&m_waitNotifier, &QWinEventNotifier::activated, &owner,
                         [this] { waitDone(); });
        QObject::connect(&m_writeNotifier, &QWinEventNotifier::activated, &owner,
                         [this] { writeDone(); });
    }

    ~Port()
    {
        close();
        m_waitNotifier.setEnabled(false);
        m_writeNotifier.setEnabled(false);
        CloseHandle(m_wait.hEvent);
        CloseHandle(m_write.hEvent);
        CloseHandle(m_read.hEvent);
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
        // Reads return at once with what has arrived: the wait for received
        // bytes is what blocks, and only in the background.
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        if (!apply(line)) {
            closeHandle();
            return false;
        }
        if (!SetCommTimeouts(m_handle, &timeouts) || !SetCommMask(m_handle, EV_RXCHAR | EV_ERR) ||
            !PurgeComm(m_handle, PURGE_RXCLEAR | PURGE_TXCLEAR)) {
            const DWORD code = GetLastError();
            closeHandle();
            return fail(code);
        }
        m_error.clear();
        m_waitNotifier.setEnabled(true);
        m_writeNotifier.setEnabled(true);
        startWait();
        return true;
    }

    void close()
    {
        if (!isOpen())
            return;
        m_waitNotifier.setEnabled(false);
        m_writeNotifier.setEnabled(false);
        // The system writes into the OVERLAPPED blocks until the outstanding
        // operations end: cancel them and wait for that before letting go.
        SetCommMask(m_handle, 0);
        CancelIo(m_handle);
        DWORD done = 0;
        if (m_waiting)
            GetOverlappedResult(m_handle, &m_wait, &done, TRUE);
        if (m_writing)
            GetOverlappedResult(m_handle, &m_write, &done, TRUE);
        m_waiting = m_writing = false;
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

    void startWait()
    {
        while (isOpen()) {
            ResetEvent(m_wait.hEvent);
            m_events = 0;
            if (WaitCommEvent(m_handle, &m_events, &m_wait)) {
                // Bytes were waiting already.
                if (!readWaiting())
                    return;
                continue;
            }
            const DWORD code = GetLastError();
            if (code == ERROR_IO_PENDING)
                m_waiting = true;
            else
                lost(code);
            return;
        }
    }

    void waitDone()
    {
        // The events are reset by hand: one left set would wake the loop
        // again and again.
        ResetEvent(m_wait.hEvent);
        if (!m_waiting)
            return;
        m_waiting = false;
        DWORD done = 0;
        if (!GetOverlappedResult(m_handle, &m_wait, &done, FALSE)) {
            const DWORD code = GetLastError();
            if (code != ERROR_OPERATION_ABORTED)
                lost(code);
            return;
        }
        if (readWaiting())
            startWait();
    }

    // Reads everything received so far; false when the port failed.
    bool readWaiting()
    {
        for (;;) {
            DWORD errors = 0;
            COMSTAT status{};
            if (!ClearCommError(m_handle, &errors, &status)) {
                lost(GetLastError());
                return false;
            }
            if (status.cbInQue == 0)
                return true;
            QByteArray bytes(static_cast<qsizetype>(status.cbInQue), Qt::Uninitialized);
            DWORD got = 0;
            ResetEvent(m_read.hEvent);
            BOOL ok = ReadFile(m_handle, bytes.data(), status.cbInQue, &got, &m_read);
            // With reads set to return at once, an outstanding read of
            // bytes already queued ends straight away.
            if (!ok && GetLastError() == ERROR_IO_PENDING)
                ok = GetOverlappedResult(m_handle, &m_read, &got, TRUE);
            if (!ok) {
                lost(GetLastError());
                return false;
            }
            if (got == 0)
                return true;
            bytes.truncate(static_cast<qsizetype>(got));
            emit m_owner.received(bytes);
            // The owner may have closed the port on what it received.
            if (!isOpen())
                return false;
        }
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
    OVERLAPPED m_wait{};
    OVERLAPPED m_write{};
    OVERLAPPED m_read{};
    DWORD m_events = 0;
    bool m_waiting = false;
    bool m_writing = false;
    QByteArray m_inFlight;
    QByteArray m_pending;
    QString m_error;
    QWinEventNotifier m_waitNotifier;
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
