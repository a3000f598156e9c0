#include "app/platform/message_box.h"

#include <QApplication>
#include <QMessageBox>

#include "app/platform/app_titles.h"
#include "app/platform/qt_text.h"

namespace {

void ShowModalWarningBox(const QString& text, const QString& details) {
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kApplicationTitle), text, QMessageBox::Ok,
                  QApplication::activeWindow());
  if (!details.isEmpty()) box.setDetailedText(details);
  box.exec();
}

WarningMessageFunction& CurrentFunction() {
  static WarningMessageFunction function = ShowModalWarningBox;
  return function;
}

}  // namespace

void ShowWarningMessage(const QString& text, const QString& details) {
  CurrentFunction()(text, details);
}

WarningMessageFunction SetWarningMessageFunction(WarningMessageFunction function) {
  WarningMessageFunction previous = std::move(CurrentFunction());
  CurrentFunction() = function ? std::move(function) : WarningMessageFunction(ShowModalWarningBox);
  return previous;
}

void WarningMessageSink::ShowMessage(std::u16string_view text) {
  ShowWarningMessage(ToQString(text));
}

void WarningMessageSink::ShowFault(std::u16string_view text, const quillwen::DataFault& fault) {
  // Paths are bytes on this platform; a name that is not UTF-8 still shows.
  ShowWarningMessage(ToQString(text), QString::fromLocal8Bit(fault.Text()));
}
