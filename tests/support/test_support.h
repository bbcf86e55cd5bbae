#pragma once
// Shared helpers for the GUI and end-to-end tests.

#include <QMap>
#include <QString>
#include <QStringList>

namespace tarvin {
class TMainForm;
}

namespace tarvin::test {

// Replaces what the settings store holds (the store must already point at
// a test folder through QSettings::setPath) by exactly these values.
void StoreSettings(const QMap<QString, QString>& values);
// A store that makes the workbench connect to 127.0.0.1:port over TCP,
// plus any further values.
void StoreTcp(quint16 port, QMap<QString, QString> more = {});
// Points a main window that has not been shown yet at 127.0.0.1:port,
// shows it and connects; true when the interface answered.
bool ConnectOverTcp(TMainForm& form, quint16 port);
// The same over a serial port (a pseudo-terminal's path).
bool ConnectOverSerial(TMainForm& form, const QString& port);
// The lines without the empty ones (the second carriage return of each
// command shows as an empty line on the wire).
QStringList NonEmpty(const QStringList& lines);

} // namespace tarvin::test
