#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/message_sink.h"

namespace quillwen::testing {

// A fresh private folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

std::string ReadFileBytes(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes);
// Overwrites bytes of an existing file at `offset` (for damaging fixtures).
void PatchFileBytes(const std::filesystem::path& file, size_t offset, std::string_view bytes);

// Records every message the code under test shows, and beside it the fault it
// came with (empty for a plain message).
class RecordingMessageSink : public MessageSink {
 public:
  void ShowMessage(std::u16string_view text) override {
    messages.emplace_back(text);
    faults.emplace_back();
  }
  void ShowFault(std::u16string_view text, const DataFault& fault) override {
    messages.emplace_back(text);
    faults.push_back(fault);
  }
  std::vector<std::u16string> messages;
  std::vector<DataFault> faults;
};

}  // namespace quillwen::testing
