#include "session/settings_store.h"

#include <QSettings>

namespace tarvin {

void ReadSettingsStore(Settings& settings)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Ostrel"),
                    QStringLiteral("Tarvin Diagnostic"));
    store.beginGroup(QStringLiteral("Options"));
    LoadSettings(settings, [&store](const std::string& name) -> std::optional<std::string> {
        const QString key = QString::fromLatin1(name.c_str());
        if (!store.contains(key))
            return std::nullopt;
        const QVariant value = store.value(key);
        // A value of another type (a list, say) is not a text: use the default.
        if (!value.canConvert<QString>())
            return std::nullopt;
        return value.toString().toLatin1().toStdString();
    });
}

void WriteSettingsStore(const Settings& settings)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Ostrel"),
                    QStringLiteral("Tarvin Diagnostic"));
    store.beginGroup(QStringLiteral("Options"));
    for (const auto& [name, value] : SettingsValues(settings))
        store.setValue(QString::fromLatin1(name.c_str()),
                       QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size())));
    store.endGroup();
    store.sync();
}

} // namespace tarvin
