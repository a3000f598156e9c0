#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/io/write_file.h"
#include "core/store/volume_store_format.h"

namespace quillwen {

// Writes a volume store page by page: the page table B + "-fl.h" and the scrambled
// content file B + "-fl.cnt", in the layout the reader reads.
class VolumeStoreWriter {
 public:
  struct Options {
    uint32_t nameSize = kDefaultNameSize;
    int32_t headerValue = 0;
  };

  // Creates (or truncates) the two files and writes the header. Any name size is
  // written as given, so tests can make tables the reader must refuse.
  bool Open(const std::filesystem::path& folder, std::string_view baseName, const Options& options);

  // Appends a page. The name must leave room for its NUL within the name size.
  bool AddPage(std::string_view entryName, std::string_view html);

  // Appends an entry as given, without content: for tables that are damaged on
  // purpose. `name` is cut to the name size and gets no NUL when it fills it.
  bool AddRawEntry(std::string_view name, uint32_t endOffset, uint32_t length);

  // Flushes and closes both files; false when anything failed to be written,
  // with Error() naming the file and the system's reason.
  bool Finish();

  uint32_t EntryCount() const { return entryCount_; }
  const std::string& Error() const { return error_; }

 private:
  bool Fail(std::string message);
  bool CannotBeWritten(const std::filesystem::path& file, const io::OutputFile& out);
  bool WriteEntry(std::string_view name, uint32_t endOffset, uint32_t length);

  std::filesystem::path tablePath_;
  std::filesystem::path contentPath_;
  io::OutputFile table_;
  io::OutputFile content_;
  Options options_;
  uint64_t contentSize_ = 0;
  uint32_t entryCount_ = 0;
  std::string error_;
};

}  // namespace quillwen
