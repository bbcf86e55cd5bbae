#pragma once
// The settings store: QSettings, organisation "Ostrel", application
// "Tarvin Diagnostic", group "Options", every value as text.

#include "core/files/settings.h"

namespace tarvin {

void ReadSettingsStore(Settings& settings);
void WriteSettingsStore(const Settings& settings);

} // namespace tarvin
