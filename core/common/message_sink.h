#pragma once

#include <string_view>

namespace quillwen {

// Where the core reports what the user must be told ("you delete data file!",
// "データを開けませんでした。"). The reader shows a modal warning box; tools print
// to standard error; tests record the texts.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void ShowMessage(std::u16string_view text) = 0;
};

}  // namespace quillwen
