#include "app/platform/pdf_text_fix.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <vector>

#include "app/platform/radical_ideographs.h"

namespace quillwen {
namespace {

constexpr std::string_view kCMapStart = "/CIDInit /ProcSet findresource begin";

// A replacement of the bytes [at, at + length) of the file.
struct Edit {
  size_t at = 0;
  size_t length = 0;
  std::string bytes;
};

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f'; }

std::optional<std::vector<char16_t>> DecodeHex(std::string_view hex) {
  if (hex.size() % 4 != 0) return std::nullopt;
  std::vector<char16_t> units;
  for (size_t at = 0; at < hex.size(); at += 4) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(hex.data() + at, hex.data() + at + 4, value, 16);
    if (error != std::errc{} || end != hex.data() + at + 4) return std::nullopt;
    units.push_back(static_cast<char16_t>(value));
  }
  return units;
}

std::string EncodeHex(const std::vector<char16_t>& units) {
  std::string hex = "<";
  for (const char16_t unit : units) {
    for (int shift = 12; shift >= 0; shift -= 4)
      hex.push_back("0123456789ABCDEF"[(unit >> shift) & 0xF]);
  }
  return hex + ">";
}

// The characters of `units` with every radical made its ideograph.
std::vector<char16_t> WithIdeographs(const std::vector<char16_t>& units) {
  std::vector<char16_t> out;
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    }
    c = IdeographOfRadical(c);
    if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

// The tokens of a bfchar or bfrange section: hex strings and brackets.
std::optional<std::vector<std::string_view>> Tokens(std::string_view text) {
  std::vector<std::string_view> tokens;
  for (size_t at = 0; at < text.size();) {
    if (IsSpace(text[at])) {
      ++at;
    } else if (text[at] == '[' || text[at] == ']') {
      tokens.push_back(text.substr(at++, 1));
    } else if (text[at] == '<') {
      const size_t end = text.find('>', at);
      if (end == std::string_view::npos) return std::nullopt;
      tokens.push_back(text.substr(at + 1, end - at - 1));
      at = end + 1;
    } else {
      return std::nullopt;
    }
  }
  return tokens;
}

// One section's entries written anew, radicals made ideographs; nothing when
// the section cannot be read.
std::optional<std::string> RewriteSection(std::string_view body, bool ranges, bool& changed) {
  const std::optional<std::vector<std::string_view>> tokens = Tokens(body);
  if (!tokens) return std::nullopt;
  std::string out = "\n";
  size_t at = 0;
  const auto next = [&]() -> std::optional<std::string_view> {
    if (at >= tokens->size()) return std::nullopt;
    return (*tokens)[at++];
  };
  const auto destination = [&](std::string_view hex) -> std::optional<std::string> {
    const std::optional<std::vector<char16_t>> units = DecodeHex(hex);
    if (!units) return std::nullopt;
    const std::vector<char16_t> fixed = WithIdeographs(*units);
    changed |= fixed != *units;
    return EncodeHex(fixed);
  };
  while (at < tokens->size()) {
    const std::optional<std::string_view> first = next();
    const std::optional<std::string_view> second = next();
    if (!first || !second || *first == "[" || *second == "[") return std::nullopt;
    if (!ranges) {
      const std::optional<std::string> mapped = destination(*second);
      if (!mapped) return std::nullopt;
      out += "<" + std::string(*first) + "> " + *mapped + "\n";
      continue;
    }
    const std::optional<std::vector<char16_t>> low = DecodeHex(*first);
    const std::optional<std::vector<char16_t>> high = DecodeHex(*second);
    const std::optional<std::string_view> third = next();
    if (!low || !high || low->size() != 1 || high->size() != 1 || !third || *third == "]" ||
        (*high)[0] < (*low)[0])
      return std::nullopt;
    out += "<" + std::string(*first) + "> <" + std::string(*second) + "> ";
    if (*third == "[") {
      out += "[";
      for (std::optional<std::string_view> element = next(); element != "]"; element = next()) {
        if (!element || *element == "[") return std::nullopt;
        const std::optional<std::string> mapped = destination(*element);
        if (!mapped) return std::nullopt;
        out += *mapped + " ";
      }
      out += "]\n";
      continue;
    }
    // <low> <high> <start>: the last unit of start counts up along the range.
    const std::optional<std::vector<char16_t>> start = DecodeHex(*third);
    if (!start || start->empty()) return std::nullopt;
    std::vector<std::vector<char16_t>> each;
    bool differs = false;
    for (unsigned i = 0; i <= static_cast<unsigned>((*high)[0] - (*low)[0]); ++i) {
      std::vector<char16_t> units = *start;
      units.back() = static_cast<char16_t>(units.back() + i);
      each.push_back(WithIdeographs(units));
      differs |= each.back() != units;
    }
    if (!differs) {
      out += "<" + std::string(*third) + ">\n";
      continue;
    }
    changed = true;
    out += "[";
    for (const std::vector<char16_t>& units : each) out += EncodeHex(units) + " ";
    out += "]\n";
  }
  return out;
}

// The CMap with its bfchar and bfrange sections rewritten; nothing when no
// radical was named or a section cannot be read.
std::optional<std::string> RewriteCMap(std::string_view cmap) {
  std::string out;
  bool changed = false;
  size_t copied = 0;
  for (size_t at = 0;;) {
    const size_t chars = cmap.find("beginbfchar", at);
    const size_t ranges = cmap.find("beginbfrange", at);
    const size_t begin = std::min(chars, ranges);
    if (begin == std::string_view::npos) break;
    const bool isRange = begin == ranges;
    const std::string_view open = isRange ? "beginbfrange" : "beginbfchar";
    const std::string_view close = isRange ? "endbfrange" : "endbfchar";
    const size_t bodyStart = begin + open.size();
    const size_t end = cmap.find(close, bodyStart);
    if (end == std::string_view::npos) return std::nullopt;
    const std::optional<std::string> body =
        RewriteSection(cmap.substr(bodyStart, end - bodyStart), isRange, changed);
    if (!body) return std::nullopt;
    out.append(cmap.substr(copied, bodyStart - copied));
    out += *body;
    copied = end;
    at = end + close.size();
  }
  if (!changed) return std::nullopt;
  out.append(cmap.substr(copied));
  return out;
}

// How far the bytes at `offset` move once `edits` (in file order) are made.
int64_t ShiftAt(const std::vector<Edit>& edits, uint64_t offset) {
  int64_t shift = 0;
  for (const Edit& edit : edits) {
    if (edit.at >= offset) break;
    shift += static_cast<int64_t>(edit.bytes.size()) - static_cast<int64_t>(edit.length);
  }
  return shift;
}

std::optional<uint64_t> NumberAt(std::string_view text, size_t at, size_t* end) {
  uint64_t value = 0;
  const auto [stop, error] = std::from_chars(text.data() + at, text.data() + text.size(), value);
  if (error != std::errc{}) return std::nullopt;
  *end = static_cast<size_t>(stop - text.data());
  return value;
}

// Edits for the cross-reference table and startxref, given the edits before it.
bool AddCrossReferenceEdits(std::string_view pdf, std::vector<Edit>& edits) {
  const size_t keyword = pdf.rfind("startxref");
  if (keyword == std::string_view::npos) return false;
  size_t at = keyword + 9;
  while (at < pdf.size() && IsSpace(pdf[at])) ++at;
  size_t end = 0;
  const std::optional<uint64_t> table = NumberAt(pdf, at, &end);
  if (!table || *table >= keyword || pdf.substr(*table, 4) != "xref") return false;
  std::vector<Edit> more;
  size_t line = *table + 4;
  while (true) {
    while (line < keyword && IsSpace(pdf[line])) ++line;
    if (pdf.substr(line, 7) == "trailer") break;
    size_t after = 0;
    const std::optional<uint64_t> first = NumberAt(pdf, line, &after);
    if (!first || after >= keyword || pdf[after] != ' ') return false;
    const std::optional<uint64_t> count = NumberAt(pdf, after + 1, &after);
    if (!count) return false;
    while (after < keyword && IsSpace(pdf[after])) ++after;
    for (uint64_t i = 0; i < *count; ++i, after += 20) {
      if (after + 20 > keyword || pdf[after + 10] != ' ' || pdf[after + 16] != ' ') return false;
      if (pdf[after + 17] != 'n') continue;
      size_t digitsEnd = 0;
      const std::optional<uint64_t> offset = NumberAt(pdf, after, &digitsEnd);
      if (!offset || digitsEnd != after + 10) return false;
      const int64_t moved = static_cast<int64_t>(*offset) + ShiftAt(edits, *offset);
      std::string digits = std::to_string(moved);
      if (moved < 0 || digits.size() > 10) return false;
      more.push_back({after, 10, std::string(10 - digits.size(), '0') + digits});
    }
    line = after;
  }
  more.push_back(
      {at, end - at, std::to_string(static_cast<int64_t>(*table) + ShiftAt(edits, *table))});
  edits.insert(edits.end(), more.begin(), more.end());
  return true;
}

}  // namespace

char32_t IdeographOfRadical(char32_t codePoint) {
  const auto* found = std::lower_bound(
      std::begin(kRadicalIdeographs), std::end(kRadicalIdeographs), codePoint,
      [](const std::pair<char32_t, char32_t>& entry, char32_t c) { return entry.first < c; });
  return found != std::end(kRadicalIdeographs) && found->first == codePoint ? found->second
                                                                            : codePoint;
}

std::optional<std::string> NameIdeographsForRadicals(std::string_view pdf) {
  std::vector<Edit> edits;
  for (size_t cmap = pdf.find(kCMapStart); cmap != std::string_view::npos;
       cmap = pdf.find(kCMapStart, cmap + 1)) {
    // The map is a stream of its own: "<< /Length N >>\nstream\n" right before it.
    size_t keyword = cmap;
    while (keyword > 0 && (pdf[keyword - 1] == '\n' || pdf[keyword - 1] == '\r')) --keyword;
    if (keyword < 6 || pdf.substr(keyword - 6, 6) != "stream") continue;
    const size_t dictionary = pdf.rfind("/Length", keyword);
    const size_t object = pdf.rfind(" obj", keyword);
    if (dictionary == std::string_view::npos || object == std::string_view::npos ||
        dictionary < object)
      continue;
    size_t digits = dictionary + 7;
    while (digits < keyword && IsSpace(pdf[digits])) ++digits;
    size_t digitsEnd = 0;
    const std::optional<uint64_t> length = NumberAt(pdf, digits, &digitsEnd);
    // An indirect length ("N 0 R") lies elsewhere: such a map is left alone.
    if (!length || pdf.substr(digitsEnd, 2) != " >" || cmap + *length > pdf.size()) continue;
    const std::optional<std::string> rewritten = RewriteCMap(pdf.substr(cmap, *length));
    if (!rewritten) continue;
    edits.push_back({digits, digitsEnd - digits, std::to_string(rewritten->size())});
    edits.push_back({cmap, *length, *rewritten});
  }
  if (edits.empty() || !AddCrossReferenceEdits(pdf, edits)) return std::nullopt;
  std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at < b.at; });
  std::string out;
  out.reserve(pdf.size() + 1024);
  size_t copied = 0;
  for (const Edit& edit : edits) {
    out.append(pdf.substr(copied, edit.at - copied));
    out += edit.bytes;
    copied = edit.at + edit.length;
  }
  out.append(pdf.substr(copied));
  return out;
}

bool NameIdeographsForRadicalsInFile(const QString& file, QString* reason) {
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) return true;  // nothing printed there to mend
  const QByteArray bytes = in.readAll();
  in.close();
  const std::optional<std::string> fixed = NameIdeographsForRadicals(
      std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  if (!fixed) return true;
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly) ||
      out.write(fixed->data(), static_cast<qint64>(fixed->size())) !=
          static_cast<qint64>(fixed->size()) ||
      !out.commit()) {
    if (reason != nullptr) *reason = out.errorString();
    return false;
  }
  return true;
}

}  // namespace quillwen
