#pragma once

// Every message the program shows the user goes through here: a modal warning
// box with an OK button, captioned with the application title.

#include <QString>
#include <functional>

#include "core/common/message_sink.h"

void ShowWarningMessage(const QString& text);

// Replaces how warnings are shown (tests record the texts instead of opening a
// modal box); returns the function that was in place.
using WarningMessageFunction = std::function<void(const QString& text)>;
WarningMessageFunction SetWarningMessageFunction(WarningMessageFunction function);

// The core's messages ("you delete data file!", ...) shown as warning boxes.
class WarningMessageSink : public quillwen::MessageSink {
 public:
  void ShowMessage(std::u16string_view text) override;
};
