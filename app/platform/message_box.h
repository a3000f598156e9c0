#pragma once

// Every message the program shows the user goes through here: a modal warning
// box with an OK button, captioned with the application title. What the program
// knows of a message's cause (which file, what is wrong with it) goes into the
// box's details, behind its "Show Details..." button, so the sentence stays the
// one the user knows.

#include <QString>
#include <functional>

#include "core/common/message_sink.h"

void ShowWarningMessage(const QString& text, const QString& details = QString());

// Replaces how warnings are shown (tests record the texts instead of opening a
// modal box); returns the function that was in place.
using WarningMessageFunction = std::function<void(const QString& text, const QString& details)>;
WarningMessageFunction SetWarningMessageFunction(WarningMessageFunction function);

// The core's messages ("you delete data file!", ...) shown as warning boxes, a
// fault as the box's details.
class WarningMessageSink : public quillwen::MessageSink {
 public:
  void ShowMessage(std::u16string_view text) override;
  void ShowFault(std::u16string_view text, const quillwen::DataFault& fault) override;
};
