#pragma once

// The per-user settings store: QSettings under the organisation and the
// application title (on Windows the registry key the program has always used).

#include <QString>

// Writes one string value under section/name. False when the store could not
// be written; callers that must not fail at exit ignore it.
bool WriteSettingString(const QString& section, const QString& name, const QString& value);
QString ReadSettingString(const QString& section, const QString& name);
