#include "tools/builder/source_format.h"

#include <algorithm>

#include "tools/builder/utf8.h"

namespace quillwen::build {
namespace {

bool IsBlankLine(std::u32string_view line) {
  return std::all_of(line.begin(), line.end(),
                     [](char32_t c) { return c == U' ' || c == U'\t' || c == 0x3000; });
}

bool IsEscapable(char32_t c) {
  return c == kAnnotationOpen || c == AnnotationClose || c == kEscape || c == U'#';
}

// Builds blocks line by line. An annotation may run over several lines of one
// paragraph but never past the paragraph's end.
class VolumeParser {
 public:
  bool Parse(std::u32string_view text, std::vector<TextBlock>* blocks, std::string* error) {
    blocks_ = blocks;
    error_ = error;
    size_t lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find(U'\n', start);
      if (end == std::u32string_view::npos) end = text.size();
      std::u32string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == U'\r') line.remove_suffix(1);
      ++lineNumber;
      if (!ParseLine(line, lineNumber)) return false;
      start = end + 1;
    }
    return EndBlock(lineNumber);
  }

 private:
  bool ParseLine(std::u32string_view line, size_t lineNumber) {
    if (IsBlankLine(line)) return EndBlock(lineNumber - 1);
    if (line.size() >= 2 && line[0] == U'#' && line[1] == U' ') {
      if (!EndBlock(lineNumber - 1)) return false;
      StartBlock(BlockKind::kHeading);
      return AppendText(line.substr(2), lineNumber) && EndBlock(lineNumber);
    }
    if (open_) {
      Append(U'\n');
    } else {
      StartBlock(BlockKind::kParagraph);
    }
    return AppendText(line, lineNumber);
  }

  bool AppendText(std::u32string_view text, size_t lineNumber) {
    for (size_t i = 0; i < text.size(); ++i) {
      const char32_t c = text[i];
      if (c == kEscape && i + 1 < text.size() && IsEscapable(text[i + 1])) {
        Append(text[++i]);
      } else if (c == kAnnotationOpen) {
        if (inAnnotation_)
          return Fail(lineNumber,
                      "an annotation opens inside another (〔 before 〕); write \\〔 for the "
                      "character itself");
        inAnnotation_ = true;
        annotationLine_ = lineNumber;
        newRun_ = true;
      } else if (c == AnnotationClose) {
        if (!inAnnotation_)
          return Fail(lineNumber, "〕 closes no annotation; write \\〕 for the character itself");
        inAnnotation_ = false;
        newRun_ = true;
      } else if ((c < 0x20 && c != U'\t') || c == 0x7F) {
        return Fail(lineNumber, "control character " + CodePointLabel(c) + " in the text");
      } else {
        Append(c);
      }
    }
    return true;
  }

  void StartBlock(BlockKind kind) {
    block_ = TextBlock{kind, {}};
    open_ = true;
    newRun_ = true;
  }

  void Append(char32_t c) {
    // Main text on both sides of an empty annotation stays one run; two
    // annotations in a row stay two.
    if (block_.runs.empty() || block_.runs.back().annotation != inAnnotation_ ||
        (inAnnotation_ && newRun_)) {
      block_.runs.push_back(TextRun{inAnnotation_, {}});
      newRun_ = false;
    }
    block_.runs.back().text.push_back(c);
  }

  bool EndBlock(size_t lastLine) {
    if (!open_) return true;
    open_ = false;
    if (inAnnotation_) {
      inAnnotation_ = false;
      return Fail(annotationLine_,
                  "the annotation opened with 〔 is not closed by the end of its " +
                      std::string(block_.kind == BlockKind::kHeading ? "heading" : "paragraph") +
                      " (line " + std::to_string(lastLine) + ")");
    }
    if (!block_.runs.empty()) blocks_->push_back(std::move(block_));
    return true;
  }

  bool Fail(size_t lineNumber, const std::string& message) {
    *error_ = "line " + std::to_string(lineNumber) + ": " + message;
    return false;
  }

  std::vector<TextBlock>* blocks_ = nullptr;
  std::string* error_ = nullptr;
  TextBlock block_;
  bool open_ = false;
  bool inAnnotation_ = false;
  bool newRun_ = false;
  size_t annotationLine_ = 0;
};

}  // namespace

bool ParseVolumeText(std::string_view bytes, std::vector<TextBlock>* blocks, std::string* error) {
  blocks->clear();
  std::u32string text;
  size_t badOffset = 0;
  if (!DecodeUtf8(bytes, text, &badOffset)) {
    const auto line =
        std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(badOffset), '\n') + 1;
    *error = "line " + std::to_string(line) + ": the text is not UTF-8 (byte " +
             std::to_string(badOffset) + ")";
    return false;
  }
  std::u32string_view view = text;
  if (!view.empty() && view.front() == 0xFEFF) view.remove_prefix(1);
  return VolumeParser().Parse(view, blocks, error);
}

}  // namespace quillwen::build
