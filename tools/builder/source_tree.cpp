#include "tools/builder/source_tree.h"

#include <algorithm>
#include <system_error>

#include "core/store/catalogue_format.h"
#include "tools/builder/utf8.h"

namespace quillwen::build {
namespace fs = std::filesystem;
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct Entry {
  std::string name;  // bytes as on disk
  fs::path path;
  bool isFolder = false;
  bool isRegularFile = false;  // after following a link
};

bool ListFolder(const fs::path& folder, std::vector<Entry>* entries, std::string* error) {
  entries->clear();
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    Entry entry{it->path().filename().string(), it->path(), false};
    if (entry.name.empty() || entry.name[0] == '.') continue;
    std::error_code typeError;
    const fs::file_type type = fs::status(it->path(), typeError).type();
    entry.isFolder = type == fs::file_type::directory;
    entry.isRegularFile = type == fs::file_type::regular;
    entries->push_back(std::move(entry));
  }
  if (ec) {
    *error = folder.string() + ": cannot be read (" + ec.message() + ")";
    return false;
  }
  std::sort(entries->begin(), entries->end(),
            [](const Entry& a, const Entry& b) { return CompareNatural(a.name, b.name) < 0; });
  return true;
}

// Control characters: C0, DEL, C1 and the Unicode line and paragraph
// separators. The catalogue's names end up in tab-separated, one-line listings
// (quillwen-search --tree, mvr.txt), which a line break or tab would split.
bool IsControlCharacter(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

// The path as a message can show it on one line: control characters as "U+000A".
std::string PrintablePath(const fs::path& path) {
  const std::string bytes = path.string();
  std::string out;
  for (size_t i = 0; i < bytes.size();) {
    const Utf8Char c = DecodeUtf8At(bytes, i);
    if (c.valid && IsControlCharacter(c.codePoint)) {
      out += "[" + CodePointLabel(c.codePoint) + "]";
    } else {
      out.append(bytes, i, c.length);
    }
    i += c.length;
  }
  return out;
}

bool IsVolumeFile(const Entry& entry) {
  return !entry.isFolder && entry.path.extension() == kVolumeExtension;
}

// The shown name, checked against what a catalogue record holds.
bool NameOf(const Entry& entry, bool isVolumeFile, std::u32string* name, std::string* error) {
  std::u32string decoded;
  size_t badOffset = 0;
  if (!DecodeUtf8(entry.name, decoded, &badOffset)) {
    *error = entry.path.string() + ": the name is not UTF-8";
    return false;
  }
  const auto control = std::find_if(decoded.begin(), decoded.end(), IsControlCharacter);
  if (control != decoded.end()) {
    *error = PrintablePath(entry.path) + ": the name holds the control character " +
             CodePointLabel(*control) +
             "; shown names must keep to one line in the catalogue's tab-separated listings";
    return false;
  }
  *name = DisplayName(decoded, isVolumeFile);
  const size_t units = EncodeUtf16(*name).size();
  if (units >= kCatalogueNameUnits) {
    *error = entry.path.string() + ": the shown name has " + std::to_string(units) +
             " UTF-16 units; a catalogue name holds at most " +
             std::to_string(kCatalogueNameUnits - 1);
    return false;
  }
  return true;
}

bool ScanBook(const Entry& bookEntry, SourceBook* book, std::string* error) {
  std::vector<Entry> entries;
  if (!ListFolder(bookEntry.path, &entries, error)) return false;
  for (const Entry& entry : entries) {
    if (entry.isFolder) {
      *error = entry.path.string() + ": a book folder holds volume files (*.txt), not folders";
      return false;
    }
    if (!IsVolumeFile(entry)) continue;
    // Reading a named pipe would wait for a writer for ever; a device may never end.
    if (!entry.isRegularFile) {
      *error = entry.path.string() + ": not a regular file; volume files are read only as such";
      return false;
    }
    SourceVolume volume;
    if (!NameOf(entry, true, &volume.name, error)) return false;
    volume.file = entry.path;
    book->volumes.push_back(std::move(volume));
  }
  if (book->volumes.empty()) {
    *error = bookEntry.path.string() + ": the book holds no volume file (*.txt)";
    return false;
  }
  return true;
}

bool ScanCategory(const Entry& categoryEntry, SourceCategory* category, std::string* error) {
  std::vector<Entry> entries;
  if (!ListFolder(categoryEntry.path, &entries, error)) return false;
  for (const Entry& entry : entries) {
    if (IsVolumeFile(entry)) {
      *error = entry.path.string() +
               ": a volume file must lie in a book folder (category/book/volume.txt)";
      return false;
    }
    if (!entry.isFolder) continue;
    SourceBook book;
    book.folder = entry.path;
    if (!NameOf(entry, false, &book.name, error) || !ScanBook(entry, &book, error)) return false;
    category->books.push_back(std::move(book));
  }
  if (category->books.empty()) {
    *error = categoryEntry.path.string() + ": the category holds no book folder";
    return false;
  }
  return true;
}

}  // namespace

size_t SourceTree::RecordCount() const {
  size_t count = categories.size();
  for (const SourceCategory& category : categories) {
    count += category.books.size();
    for (const SourceBook& book : category.books) count += book.volumes.size();
  }
  return count;
}

size_t SourceTree::VolumeCount() const {
  size_t count = 0;
  for (const SourceCategory& category : categories) {
    for (const SourceBook& book : category.books) count += book.volumes.size();
  }
  return count;
}

int CompareNatural(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      size_t iEnd = i;
      size_t jEnd = j;
      while (iEnd < a.size() && IsDigit(a[iEnd])) ++iEnd;
      while (jEnd < b.size() && IsDigit(b[jEnd])) ++jEnd;
      // Compare by value: skip leading zeros, then the longer run is larger.
      size_t iStart = i;
      size_t jStart = j;
      while (iStart + 1 < iEnd && a[iStart] == '0') ++iStart;
      while (jStart + 1 < jEnd && b[jStart] == '0') ++jStart;
      const size_t iLength = iEnd - iStart;
      const size_t jLength = jEnd - jStart;
      if (iLength != jLength) return iLength < jLength ? -1 : 1;
      const int digits = a.substr(iStart, iLength).compare(b.substr(jStart, jLength));
      if (digits != 0) return digits;
      // Equal values: fewer leading zeros first, so the order is total.
      if (iEnd - i != jEnd - j) return (iEnd - i) < (jEnd - j) ? -1 : 1;
      i = iEnd;
      j = jEnd;
      continue;
    }
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[j]);
    if (ca != cb) return ca < cb ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

std::u32string DisplayName(std::u32string_view name, bool isVolumeFile) {
  const std::u32string_view extension = U".txt";
  if (isVolumeFile && name.size() > extension.size() && name.ends_with(extension)) {
    name.remove_suffix(extension.size());
  }
  size_t digits = 0;
  while (digits < name.size() && name[digits] >= U'0' && name[digits] <= U'9') ++digits;
  size_t rest = digits;
  while (rest < name.size() && name[rest] == U' ') ++rest;
  if (digits > 0 && rest > digits && rest < name.size()) name.remove_prefix(rest);
  return std::u32string(name);
}

bool ScanSourceTree(const fs::path& root, SourceTree* tree, std::string* error) {
  tree->categories.clear();
  std::error_code ec;
  if (!fs::is_directory(root, ec)) {
    *error = root.string() + ": no such source folder";
    return false;
  }
  std::vector<Entry> entries;
  if (!ListFolder(root, &entries, error)) return false;
  for (const Entry& entry : entries) {
    if (IsVolumeFile(entry)) {
      *error = entry.path.string() +
               ": a volume file must lie in a book folder (category/book/volume.txt)";
      return false;
    }
    if (!entry.isFolder) continue;
    SourceCategory category;
    category.folder = entry.path;
    if (!NameOf(entry, false, &category.name, error) || !ScanCategory(entry, &category, error)) {
      return false;
    }
    tree->categories.push_back(std::move(category));
  }
  if (tree->categories.empty()) {
    *error = root.string() + ": the source folder holds no category folder";
    return false;
  }
  return true;
}

}  // namespace quillwen::build
