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
  const bool tableCreated =
      table_.Create(folder / (base + kPageTableSuffix), io::FileAccess::kShared);
  const bool contentCreated =
      content_.Create(folder / (base + kContentSuffix), io::FileAccess::kShared);
  if (!tableCreated || !contentCreated) {
    return Fail((folder / base).string() + ": the volume store cannot be created");
  }
  std::string header;
  AppendLE32(header, static_cast<uint32_t>(options.headerValue));
  AppendLE32(header, options.nameSize);
  header.resize(kPageTableHeaderSize, '\0');
  table_.Append(header);
  return true;
}

void VolumeStoreWriter::WriteEntry(std::string_view name, uint32_t endOffset, uint32_t length) {
  std::string entry(name.substr(0, options_.nameSize));
  entry.resize(options_.nameSize, '\0');
  AppendLE32(entry, endOffset);
  AppendLE32(entry, length);
  table_.Append(entry);
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
  content_.Append(scrambled);
  contentSize_ = end;
  WriteEntry(entryName, static_cast<uint32_t>(end), static_cast<uint32_t>(html.size()));
  return true;
}

bool VolumeStoreWriter::AddRawEntry(std::string_view name, uint32_t endOffset, uint32_t length) {
  WriteEntry(name, endOffset, length);
  return true;
}

bool VolumeStoreWriter::Finish() {
  const bool tableWritten = table_.Close();
  const bool contentWritten = content_.Close();
  if (!error_.empty()) return false;
  if (!tableWritten || !contentWritten) {
    return Fail("the volume store could not be written completely");
  }
  return true;
}

}  // namespace quillwen
