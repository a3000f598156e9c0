#include "app/platform/settings_store.h"

#include <QFileInfo>
#include <QSettings>
#include <QTest>

#include "app/platform/app_titles.h"
#include "app/platform/qt_text.h"
#include "tests/support/temp_dir.h"

using quillwen::testing::TempDir;

namespace {

QSettings OldStore() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                   QString::fromUtf8(kOldSettingsOrganisation),
                   QString::fromUtf8(kOldSettingsApplication));
}

}  // namespace

class SettingsStoreTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> folder_;

 private slots:
  // Each test with a configuration folder of its own.
  void init() {
    folder_ = std::make_unique<TempDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, ToQString(folder_->path()));
  }

  void theStoreGoesByTheProgramsName() {
    QVERIFY(WriteSettingString(QStringLiteral("PageView"), QStringLiteral("TextSize"),
                               QStringLiteral("16")));
    QCOMPARE(SettingsLocation(),
             ToQString(folder_->path()) + QStringLiteral("/quillwen/quillwen.conf"));
    QVERIFY(QFileInfo::exists(SettingsLocation()));
    QCOMPARE(ReadSettingString(QStringLiteral("PageView"), QStringLiteral("TextSize")),
             QStringLiteral("16"));
    QVERIFY(OldStore().allKeys().isEmpty());
  }

  // What an earlier version remembered comes over the first time; after that
  // the old store is left alone, and left as it was.
  void theOldStoreIsReadOnce() {
    {
      QSettings old = OldStore();
      old.setValue(QStringLiteral("SplitterWnd/Panes_0"), QStringLiteral("-1 300 -1 980"));
      old.setValue(QStringLiteral("Resume/KeyWords"), QStringLiteral("明月"));
    }
    QCOMPARE(ReadSettingString(QStringLiteral("Resume"), QStringLiteral("KeyWords")),
             QStringLiteral("明月"));
    QCOMPARE(ReadSettingString(QStringLiteral("SplitterWnd"), QStringLiteral("Panes_0")),
             QStringLiteral("-1 300 -1 980"));
    QVERIFY(WriteSettingString(QStringLiteral("Resume"), QStringLiteral("KeyWords"),
                               QStringLiteral("清風")));
    OldStore().setValue(QStringLiteral("Resume/Page"), QStringLiteral("9"));
    QCOMPARE(ReadSettingString(QStringLiteral("Resume"), QStringLiteral("KeyWords")),
             QStringLiteral("清風"));
    QCOMPARE(ReadSettingString(QStringLiteral("Resume"), QStringLiteral("Page")), QString());
    QCOMPARE(OldStore().value(QStringLiteral("Resume/KeyWords")).toString(),
             QStringLiteral("明月"));
  }

  void withoutAnOldStoreNothingIsMade() {
    QCOMPARE(ReadSettingString(QStringLiteral("Resume"), QStringLiteral("KeyWords")), QString());
    QVERIFY(!QFileInfo::exists(SettingsLocation()));
  }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
