#include "session/capture_file.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace tarvin {

CaptureFile::CaptureFile(Options options, std::function<QDateTime()> clock)
    : m_options(std::move(options)), m_clock(std::move(clock))
{
}

bool CaptureFile::open()
{
    m_day = m_clock().date();
    return openCurrent();
}

bool CaptureFile::openCurrent()
{
    if (m_options.path.isEmpty()) {
#ifdef Q_OS_WIN
        // The capture's bytes as they are, not with every LF made CR LF.
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        if (!m_file.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            m_error = m_file.errorString();
            return false;
        }
    } else {
        m_file.setFileName(m_options.path);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            m_error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_options.path),
                                                   m_file.errorString());
            return false;
        }
    }
    if (m_options.format == CaptureFormat::Csv && m_file.size() == 0 && !m_options.path.isEmpty())
        return write(CsvHeader());
    return true;
}

bool CaptureFile::rotate()
{
    m_file.close();
    // The rotated file is named after the moment it was closed, so names
    // never collide and sort in time order.
    const QFileInfo info(m_options.path);
    const QString stamp = m_clock().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const auto name = [&](int n) {
        QString base = info.completeBaseName() + QLatin1Char('.') + stamp;
        if (n > 1)
            base += QLatin1Char('-') + QString::number(n);
        return info.dir().filePath(base + suffix);
    };
    QString target = name(1);
    for (int n = 2; QFile::exists(target); ++n)
        target = name(n);
    if (!QFile::rename(m_options.path, target)) {
        m_error = QStringLiteral("cannot rotate %1 to %2").arg(m_options.path, target);
        // Keep writing to the same file rather than lose lines.
        openCurrent();
        return false;
    }
    m_rotated << target;
    return openCurrent();
}

bool CaptureFile::write(const std::string& line)
{
    return append(line) && flush();
}

bool CaptureFile::flush()
{
    if (!m_file.flush()) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
}

bool CaptureFile::append(const std::string& line)
{
    if (!m_options.path.isEmpty()) {
        const QDate today = m_clock().date();
        const bool newDay = m_options.rotateDaily && today != m_day;
        const bool full = m_options.rotateBytes > 0 && m_file.size() > 0 &&
                          m_file.size() + qint64(line.size()) + 1 > m_options.rotateBytes;
        if (newDay || full) {
            m_day = today;
            if (!rotate() && !m_file.isOpen())
                return false;
        }
    }
    QByteArray bytes(line.data(), qsizetype(line.size()));
    bytes += '\n';
    if (m_file.write(bytes) != bytes.size()) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
}

} // namespace tarvin
