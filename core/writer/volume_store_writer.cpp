#include "core/writer/volume_store_writer.h"

#include <algorithm>

#include "core/common/little_endian.h"

namespace quillwen {

bool VolumeStoreWriter::Fail(std::string message) {
  error_ = std::move(message);
  return false;
}

bool VolumeStoreWriter::Open(const std::filesystem::path& folder, std::string_view baseName,
                             const Options& options) {
  options_ = options;
  contentSize_ = 0;
  entryCount_ = 0;
  error_.clear();
  const std::string base(baseName);
  table_.open(folder / (base + kPageTableSuffix), std::ios::binary | std::ios::trunc);
  content_.open(folder / (base + kContentSuffix), std::ios::binary | std::ios::trunc);
  if (!table_ || !content_) return Fail((folder / base).string() + ": the volume store cannot be created");
  std::string header;
  AppendLE32(header, static_cast<uint32_t>(options.headerValue));
  AppendLE32(header, options.nameSize);
  header.resize(kPageTableHeaderSize, '\0');
  table_.write(header.data(), static_cast<std::streamsize>(header.size()));
  return true;
}

void VolumeStoreWriter::WriteEntry(std::string_view name, uint32_t endOffset, uint32_t length) {
  std::string entry(name.substr(0, options_.nameSize));
  entry.resize(options_.nameSize, '\0');
  AppendLE32(entry, endOffset);
  AppendLE32(entry, length);
  table_.write(entry.data(), static_cast<std::streamsize>(entry.size()));
  ++entryCount_;
}

bool VolumeStoreWriter::AddPage(std::string_view entryName, std::string_view html) {
  if (entryName.size() >= options_.nameSize) {
    return Fail("page entry name \"" + std::string(entryName) + "\" needs " +
                std::to_string(entryName.size() + 1) + " bytes; the name size is " +
                std::to_string(options_.nameSize));
  }
  if (entryName.find('\0') != std::string_view::npos) {
    return Fail("page entry name \"" + std::string(entryName) + "\" holds a NUL");
  }
  const uint64_t end = contentSize_ + html.size();
  if (end > UINT32_MAX) {
    return Fail("page \"" + std::string(entryName) + "\" would end past 4 GiB of content");
  }
  std::string scrambled(html);
  Unscramble(scrambled.data(), scrambled.size());
  content_.write(scrambled.data(), static_cast<std::streamsize>(scrambled.size()));
  contentSize_ = end;
  WriteEntry(entryName, static_cast<uint32_t>(end), static_cast<uint32_t>(html.size()));
  return true;
}

bool VolumeStoreWriter::AddRawEntry(std::string_view name, uint32_t endOffset, uint32_t length) {
  WriteEntry(name, endOffset, length);
  return true;
}

bool VolumeStoreWriter::Finish() {
  table_.close();
  content_.close();
  if (!error_.empty()) return false;
  if (table_.fail() || content_.fail()) return Fail("the volume store could not be written completely");
  return true;
}

}  // namespace quillwen
