#include "app/platform/message_box.h"

#include <QApplication>
#include <QMessageBox>

#include "app/platform/app_titles.h"
#include "app/platform/qt_text.h"

namespace {

void ShowModalWarningBox(const QString& text) {
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kApplicationTitle), text, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

WarningMessageFunction& CurrentFunction() {
  static WarningMessageFunction function = ShowModalWarningBox;
  return function;
}

}  // namespace

void ShowWarningMessage(const QString& text) { CurrentFunction()(text); }

WarningMessageFunction SetWarningMessageFunction(WarningMessageFunction function) {
  WarningMessageFunction previous = std::move(CurrentFunction());
  CurrentFunction() = function ? std::move(function) : WarningMessageFunction(ShowModalWarningBox);
  return previous;
}

void WarningMessageSink::ShowMessage(std::u16string_view text) {
  ShowWarningMessage(ToQString(text));
}
