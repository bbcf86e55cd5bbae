#include "test_support.h"

#include "gui/app/main_form.h"

#include <QAction>
#include <QSettings>

namespace tarvin::test {

void StoreSettings(const QMap<QString, QString>& values)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Ostrel"),
                QStringLiteral("Tarvin Diagnostic"));
    s.clear();
    s.beginGroup(QStringLiteral("Options"));
    for (auto it = values.begin(); it != values.end(); ++it)
        s.setValue(it.key(), it.value());
    s.endGroup();
    s.sync();
}

void StoreTcp(quint16 port, QMap<QString, QString> more)
{
    more.insert(QStringLiteral("ConnectionType"), QStringLiteral("1"));
    more.insert(QStringLiteral("IPAddress"), QStringLiteral("127.0.0.1"));
    more.insert(QStringLiteral("Port"), QString::number(port));
    StoreSettings(more);
}

bool ConnectOverTcp(TMainForm& form, quint16 port)
{
    StoreTcp(port);
    form.show(); // reads the settings
    form.ConnecttoPCIItem->trigger();
    return form.state().connected;
}

bool ConnectOverSerial(TMainForm& form, const QString& port)
{
    StoreSettings({{QStringLiteral("ConnectionType"), QStringLiteral("0")},
                   {QStringLiteral("COMPort"), port}});
    form.show();
    form.ConnecttoPCIItem->trigger();
    return form.state().connected;
}

QStringList NonEmpty(const QStringList& lines)
{
    QStringList out;
    for (const QString& line : lines)
        if (!line.isEmpty())
            out << line;
    return out;
}

} // namespace tarvin::test
