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
  tablePath_ = folder / (base + kPageTableSuffix);
  contentPath_ = folder / (base + kContentSuffix);
  if (!table_.Create(tablePath_, io::FileAccess::kShared)) {
    return Fail(tablePath_.string() + ": cannot be created (" + table_.Problem() + ")");
  }
  if (!content_.Create(contentPath_, io::FileAccess::kShared)) {
    return Fail(contentPath_.string() + ": cannot be created (" + content_.Problem() + ")");
  }
  std::string header;
  AppendLE32(header, static_cast<uint32_t>(options.headerValue));
  AppendLE32(header, options.nameSize);
  header.resize(kPageTableHeaderSize, '\0');
  table_.Append(header);
  return true;
}

bool VolumeStoreWriter::WriteEntry(std::string_view name, uint32_t endOffset, uint32_t length) {
  std::string entry(name.substr(0, options_.nameSize));
  entry.resize(options_.nameSize, '\0');
  AppendLE32(entry, endOffset);
  AppendLE32(entry, length);
  ++entryCount_;
  return table_.Append(entry);
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
  // A full disk stops the pages here rather than after the whole collection.
  if (!content_.Append(scrambled)) return CannotBeWritten(contentPath_, content_);
  contentSize_ = end;
  if (!WriteEntry(entryName, static_cast<uint32_t>(end), static_cast<uint32_t>(html.size())))
    return CannotBeWritten(tablePath_, table_);
  return true;
}

bool VolumeStoreWriter::AddRawEntry(std::string_view name, uint32_t endOffset, uint32_t length) {
  return WriteEntry(name, endOffset, length);
}

bool VolumeStoreWriter::CannotBeWritten(const std::filesystem::path& file,
                                        const io::OutputFile& out) {
  return Fail(file.string() + ": cannot be written (" + out.Problem() + ")");
}

bool VolumeStoreWriter::Finish() {
  const bool tableWritten = table_.Close();
  const bool contentWritten = content_.Close();
  if (!error_.empty()) return false;
  if (!tableWritten) return CannotBeWritten(tablePath_, table_);
  if (!contentWritten) return CannotBeWritten(contentPath_, content_);
  return true;
}

}  // namespace quillwen
