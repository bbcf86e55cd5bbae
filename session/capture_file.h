#pragma once
// Where a capture goes: standard output, or a file that is flushed after
// every line and rotated by size or by day.

#include "core/files/capture_format.h"

#include <QDate>
#include <QFile>
#include <QString>

#include <functional>

namespace tarvin {

class CaptureFile
{
public:
    struct Options
    {
        QString path; // empty: standard output
        CaptureFormat format = CaptureFormat::Text;
        qint64 rotateBytes = 0; // 0: never by size
        bool rotateDaily = false;
    };

    explicit CaptureFile(Options options, std::function<QDateTime()> clock);

    // Opens (appends to) the file; false with errorString() set on failure.
    bool open();
    // Writes one line and flushes it; false when it could not be written.
    bool write(const std::string& line);
    // Writes one line into the file's buffer, for flush() to hand on with
    // the lines after it.
    bool append(const std::string& line);
    bool flush();
    QString errorString() const { return m_error; }
    CaptureFormat format() const { return m_options.format; }
    // The names files were rotated to, oldest first.
    const QStringList& rotated() const { return m_rotated; }

private:
    bool rotate();
    bool openCurrent();

    Options m_options;
    std::function<QDateTime()> m_clock;
    QFile m_file;
    QDate m_day;
    QString m_error;
    QStringList m_rotated;
};

} // namespace tarvin
