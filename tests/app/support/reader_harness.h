#pragma once

// Runs the whole reader in a test program, as main() would: the settings
// store, the temporary page files and the catalogue listing live in folders of
// the harness's own, and warning boxes are collected instead of shown. Test
// classes derive from it next to QObject and call Stop() in their cleanup.

#include <QString>
#include <QStringList>
#include <filesystem>
#include <memory>

#include "app/frame/book_app.h"
#include "tests/support/temp_dir.h"

class CLeftForm;
class CMainFrame;
class QLineEdit;

namespace quillwen {
class LeftFormModel;
}

namespace quillwen::testing {

class ReaderHarness {
 public:
  // Points the user's settings store at a folder of its own. Each test function
  // (and each row of its data) gets a fresh one at its first Start; the starts
  // within it share it, as runs of the reader on one machine do.
  ReaderHarness();
  ~ReaderHarness();

  // Starts the reader on `dataFolder` with the given switches and waits for its
  // window; the warning boxes shown from here on land in messages_. False when
  // the reader did not start or its window never appeared. A null `dataFolder`
  // gives no --data: the reader looks for its collection itself.
  bool Start(const QString& dataFolder,
             const QStringList& switches = {QStringLiteral("--no-splash")});
  bool Start(const std::filesystem::path& dataFolder,
             const QStringList& switches = {QStringLiteral("--no-splash")});
  // Closes the reader and shows warning boxes again.
  void Stop();

  CBookApp& App() { return *app_; }
  CMainFrame* Frame() { return app_->MainFrame(); }
  CLeftForm* Panel();
  const LeftFormModel& Model();
  // Selects the record's tree item as a click would; false when it has none.
  bool Select(int record);
  // The panel's width at a first start: room for the 文脈 rows, at most half
  // the splitter.
  int FirstPanelWidth();
  // The query page's keyword field; null before it is loaded.
  QLineEdit* KeywordField();
  // Types the keywords into the query page as a user would and starts the
  // search with the search button, or with Enter in the field.
  void Search(const QString& keywords, bool withEnter = false);

 protected:
  QStringList messages_;  // warning boxes since the last Start
  QStringList details_;   // their details, one for each (empty when a box had none)

 private:
  void UseFreshSettingsFolder();

  std::unique_ptr<TempDir> settingsFolder_;
  QString settingsOwner_;  // the test function and data row that use settingsFolder_
  TempDir work_;           // temporary page files and the catalogue listing
  std::unique_ptr<CBookApp> app_;
};

}  // namespace quillwen::testing
