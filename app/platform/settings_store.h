#pragma once

// The per-user settings store: QSettings under the program's own name. The
// first time it is used, a store left where earlier versions kept theirs is
// copied over, so that nothing remembered is lost; the old one stays as it is.

#include <QString>

// Writes one string value under section/name. False when the store could not
// be written; callers that must not fail at exit ignore it.
bool WriteSettingString(const QString& section, const QString& name, const QString& value);
QString ReadSettingString(const QString& section, const QString& name);
// Where the store lives (a file, on Linux).
QString SettingsLocation();
