#include "bench/compare/indexed_text.h"

#include <cctype>

#include "core/encoding/codeconverter.h"
#include "core/store/filelist.h"
#include "core/store/page_number.h"
#include "core/store/page_parser.h"

namespace quillwen::bench {
namespace {

bool TakesNoPosition(char32_t c) {
  return c == 0x09 || c == 0x0A || c == 0x0D || c == 0x20 || c == 0x3000;
}

// Decodes one UTF-8 character at `at`; a byte that starts no valid sequence is
// U+FFFD on its own.
char32_t NextCodePoint(std::string_view text, size_t& at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || at + length > text.size()) {
    ++at;
    return 0xFFFD;
  }
  char32_t c = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      ++at;
      return 0xFFFD;
    }
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  at += length;
  return c;
}

// The name of the tag that starts at `at` ('<'), lower case, with a leading '/'
// kept; `at` moves past its '>'.
std::string TagName(std::string_view text, size_t& at) {
  const size_t close = text.find('>', at);
  const std::string_view tag =
      text.substr(at + 1, (close == std::string_view::npos ? text.size() : close) - at - 1);
  at = close == std::string_view::npos ? text.size() : close + 1;
  std::string name;
  for (const char c : tag) {
    if (c == ' ' || c == '\t' || c == '\n') break;
    name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return name;
}

bool EndsBlock(const std::string& tag) {
  const std::string_view name = tag.starts_with('/') ? std::string_view(tag).substr(1) : tag;
  return name == "p" || name == "h1" || name == "h2" || name == "h3" || name == "h4" ||
         name == "h5" || name == "h6" || name == "div" || name == "td" || name == "tr" ||
         name == "font";
}

char32_t Entity(std::string_view text, size_t& at) {
  static constexpr std::pair<std::string_view, char32_t> kNamed[] = {
      {"&amp;", U'&'}, {"&lt;", U'<'}, {"&gt;", U'>'}, {"&quot;", U'"'}, {"&nbsp;", U' '}};
  for (const auto& [name, c] : kNamed) {
    if (text.substr(at, name.size()) == name) {
      at += name.size();
      return c;
    }
  }
  ++at;
  return U'&';
}

}  // namespace

std::u32string PositionedTextOfPage(std::string_view storedPage, int pageNumber) {
  const ParsedPage parsed = ParsePage(storedPage);
  const std::string_view cell = parsed[pageNumber % 2 == 0 ? 1 : 2].text;
  std::u32string out;
  bool blockOpen = false;
  size_t at = 0;
  while (at < cell.size()) {
    char32_t c;
    if (cell[at] == '<') {
      if (EndsBlock(TagName(cell, at))) blockOpen = false;
      continue;
    }
    c = cell[at] == '&' ? Entity(cell, at) : NextCodePoint(cell, at);
    if (TakesNoPosition(c)) continue;
    if (!blockOpen) {
      if (!out.empty()) out.push_back(kBlockBorder);
      blockOpen = true;
    }
    out.push_back(c);
  }
  return out;
}

std::vector<std::u32string> ReadPositionedTexts(const std::filesystem::path& folder,
                                                std::string& error) {
  CFileList store;
  std::vector<std::u32string> pages;
  if (!store.Open(folder, kCollectionBaseNameWide)) {
    error = "cannot open the volume store in " + folder.string() + ": " + store.LastError();
    return pages;
  }
  PageEntry entry;
  std::string page;
  for (uint32_t i = 0; store.ReadEntry(i, &entry); ++i) {
    page.clear();
    if (!store.ReadPage(i, page)) {
      error = "cannot read page " + std::to_string(i) + ": " + store.LastError();
      return {};
    }
    pages.push_back(PositionedTextOfPage(page, PageNumberFromEntryName(entry.name).value_or(0)));
  }
  return pages;
}

std::vector<std::u32string_view> BlocksOf(const std::u32string& positioned) {
  std::vector<std::u32string_view> blocks;
  const std::u32string_view text = positioned;
  for (size_t from = 0; from < text.size();) {
    size_t to = text.find(kBlockBorder, from);
    if (to == std::u32string_view::npos) to = text.size();
    if (to > from) blocks.push_back(text.substr(from, to - from));
    from = to + 1;
  }
  return blocks;
}

std::string BlocksAsUtf8(const std::u32string& positioned) {
  std::u16string wide;
  wide.reserve(positioned.size());
  for (const char32_t c : positioned) AppendUtf16(wide, c == kBlockBorder ? U'\n' : c);
  return ToUtf8(wide);
}

}  // namespace quillwen::bench
