#include "app/platform/settings_store.h"

#include <QSettings>

#include "app/platform/app_titles.h"

bool WriteSettingString(const QString& section, const QString& name, const QString& value) {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromUtf8(kSettingsOrganisation),
                     QString::fromUtf8(kApplicationTitle));
  settings.beginGroup(section);
  settings.setValue(name, value);
  settings.endGroup();
  settings.sync();
  return settings.status() == QSettings::NoError;
}

QString ReadSettingString(const QString& section, const QString& name) {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromUtf8(kSettingsOrganisation),
                     QString::fromUtf8(kApplicationTitle));
  return settings.value(section + u'/' + name).toString();
}
