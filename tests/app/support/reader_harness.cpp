#include "tests/app/support/reader_harness.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>

#include "app/frame/main_frame.h"
#include "app/panel/html_ctrl.h"
#include "app/panel/left_form.h"
#include "app/platform/message_box.h"
#include "app/platform/qt_text.h"
#include "core/panel_model/panel_layout.h"

namespace quillwen::testing {

ReaderHarness::ReaderHarness() { UseFreshSettingsFolder(); }

void ReaderHarness::UseFreshSettingsFolder() {
  settingsFolder_ = std::make_unique<TempDir>();
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     ToQString(settingsFolder_->path()));
}

ReaderHarness::~ReaderHarness() { Stop(); }

bool ReaderHarness::Start(const QString& dataFolder, const QStringList& switches) {
  // The reader reopens where the last run left it: without a store of its own,
  // a test would start where the one before it stopped.
  const QString owner = QString::fromLatin1(QTest::currentTestFunction()) + u'/' +
                        QString::fromLatin1(QTest::currentDataTag());
  if (owner != settingsOwner_) {
    UseFreshSettingsFolder();
    settingsOwner_ = owner;
  }
  messages_.clear();
  details_.clear();
  SetWarningMessageFunction([this](const QString& text, const QString& details) {
    messages_ << text;
    details_ << details;
  });
  ReaderEnvironment environment;
  environment.tempParent = work_.path();
  environment.listingPath = work_ / "mvr.txt";
  app_ = std::make_unique<CBookApp>(environment);
  const QStringList data =
      dataFolder.isNull() ? QStringList() : QStringList{QStringLiteral("--data"), dataFolder};
  if (!app_->InitInstance(data + switches)) return false;
  return QTest::qWaitForWindowExposed(Frame());
}

bool ReaderHarness::Start(const std::filesystem::path& dataFolder, const QStringList& switches) {
  return Start(ToQString(dataFolder), switches);
}

void ReaderHarness::Stop() {
  app_.reset();
  SetWarningMessageFunction(nullptr);
}

CLeftForm* ReaderHarness::Panel() { return Frame()->m_pLeftForm; }

const LeftFormModel& ReaderHarness::Model() { return Panel()->Model(); }

bool ReaderHarness::Select(int record) {
  QTreeWidgetItem* item = Panel()->ItemOfRecord(record);
  if (item == nullptr) return false;
  Panel()->Tree()->setCurrentItem(item);
  return true;
}

int ReaderHarness::FirstPanelWidth() {
  const ST_SplitterWnd& splitter = Frame()->m_wndSplitter;
  return std::min(Panel()->sizeHint().width(), (splitter.width() - splitter.handleWidth()) / 2);
}

QLineEdit* ReaderHarness::KeywordField() {
  return Panel()->QueryPage()->Field(QStringLiteral("textfield"));
}

void ReaderHarness::Search(const QString& keywords, bool withEnter) {
  QLineEdit* field = KeywordField();
  QVERIFY(field != nullptr);
  field->clear();
  // Chinese keywords come from an input method: one committed string.
  QInputMethodEvent typed;
  typed.setCommitString(keywords);
  QApplication::sendEvent(field, &typed);
  if (withEnter)
    QTest::keyClick(field, Qt::Key_Return);
  else
    QTest::mouseClick(Panel()->Control(kSearchButton), Qt::LeftButton);
}

}  // namespace quillwen::testing
