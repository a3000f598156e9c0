#include "app/platform/settings_store.h"

#include <QFileInfo>
#include <QSettings>
#include <memory>

#include "app/platform/app_titles.h"

namespace {

std::unique_ptr<QSettings> StoreNamed(const char* organisation, const char* application) {
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                     QString::fromUtf8(organisation),
                                     QString::fromUtf8(application));
}

// A file store that does not exist yet takes the old store's values; once it
// exists (whatever was copied), the old one is never read again.
void AdoptOldStore(QSettings& store) {
  if (store.format() != QSettings::NativeFormat || QFileInfo::exists(store.fileName())) return;
  const std::unique_ptr<QSettings> old =
      StoreNamed(kOldSettingsOrganisation, kOldSettingsApplication);
  if (old->fileName() == store.fileName()) return;
  const QStringList keys = old->allKeys();
  if (keys.isEmpty()) return;
  for (const QString& key : keys) store.setValue(key, old->value(key));
  store.sync();
}

std::unique_ptr<QSettings> OpenStore() {
  std::unique_ptr<QSettings> store = StoreNamed(kSettingsOrganisation, kSettingsApplication);
  AdoptOldStore(*store);
  return store;
}

}  // namespace

bool WriteSettingString(const QString& section, const QString& name, const QString& value) {
  const std::unique_ptr<QSettings> settings = OpenStore();
  settings->beginGroup(section);
  settings->setValue(name, value);
  settings->endGroup();
  settings->sync();
  return settings->status() == QSettings::NoError;
}

QString ReadSettingString(const QString& section, const QString& name) {
  return OpenStore()->value(section + u'/' + name).toString();
}

QString SettingsLocation() { return OpenStore()->fileName(); }
