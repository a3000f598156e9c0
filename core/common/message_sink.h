#pragma once

#include <string_view>

#include "core/common/data_fault.h"

namespace quillwen {

// Where the core reports what the user must be told ("you delete data file!",
// "データを開けませんでした。"). The reader shows a modal warning box; tools print
// to standard error; tests record the texts.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void ShowMessage(std::u16string_view text) = 0;
  // `text` with the fault that caused it, which a sink shows as the message's
  // details; a sink with nowhere to show details shows the sentence alone.
  virtual void ShowFault(std::u16string_view text, const DataFault& fault) {
    static_cast<void>(fault);
    ShowMessage(text);
  }
};

}  // namespace quillwen
