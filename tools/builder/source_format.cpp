#include "tools/builder/source_format.h"

#include <algorithm>

#include "tools/builder/utf8.h"

namespace quillwen::build {
namespace {

bool IsBlank(char32_t c) { return c == U' ' || c == U'\t' || c == 0x3000; }

bool IsEscapable(char32_t c) {
  return c == kAnnotationOpen || c == AnnotationClose || c == kEscape || c == U'#';
}

// The bytes a UTF-8 sequence that starts with `lead` takes; 1 for a byte that
// starts none, which the decoder then refuses.
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF7) return 4;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xC0 && lead <= 0xDF) return 2;
  return 1;
}

// How much of `bytes` ends with a whole character: a sequence cut off by the
// end of the slice waits for the next one.
size_t CompletePrefix(std::string_view bytes) {
  const size_t size = bytes.size();
  for (size_t back = 1; back <= std::min<size_t>(4, size); ++back) {
    const auto byte = static_cast<unsigned char>(bytes[size - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte
    return SequenceLength(byte) > back ? size - back : size;
  }
  return size;
}

}  // namespace

// Builds blocks character by character, line by line. The start of a line is
// held back only while it may still turn out blank or a heading ("# "). An
// annotation may run over several lines of one paragraph but never past the
// paragraph's end.
class VolumeTextReader::Parser {
 public:
  explicit Parser(BlockPartSink sink) : sink_(std::move(sink)) {}

  bool Stopped() const { return stopped_; }

  bool Feed(std::u32string_view text, std::string* error) {
    error_ = error;
    for (const char32_t c : text) {
      if (c == U'\n') {
        pendingReturn_ = false;  // a CR before the LF ends the line with it
        if (!EndLine()) return false;
        continue;
      }
      if (pendingReturn_) {
        pendingReturn_ = false;
        if (!LineCharacter(U'\r')) return false;
      }
      if (c == U'\r') {
        pendingReturn_ = true;
      } else if (!LineCharacter(c)) {
        return false;
      }
    }
    return true;
  }

  bool Finish(std::string* error) {
    error_ = error;
    pendingReturn_ = false;
    if (!EndLine()) return false;
    return EndBlock(lineNumber_ - 1);
  }

 private:
  enum class Line { kStart, kBlank, kHash, kText, kHeading };

  bool LineCharacter(char32_t c) {
    switch (line_) {
      case Line::kStart:
      case Line::kBlank:
        if (IsBlank(c)) {
          held_.push_back(c);
          line_ = Line::kBlank;
          return true;
        }
        if (line_ == Line::kStart && c == U'#') {
          held_.push_back(c);
          line_ = Line::kHash;
          return true;
        }
        return BeginTextLine() && TextCharacter(c);
      case Line::kHash:
        if (c == U' ') {
          held_.clear();
          if (!EndBlock(lineNumber_ - 1)) return false;
          StartBlock(BlockKind::kHeading);
          line_ = Line::kHeading;
          return true;
        }
        return BeginTextLine() && TextCharacter(c);
      case Line::kText:
      case Line::kHeading:
        return TextCharacter(c);
    }
    return true;
  }

  // The line is text of a paragraph: the characters held back belong to it.
  bool BeginTextLine() {
    if (open_) {
      if (!Append(U'\n')) return false;
    } else {
      StartBlock(BlockKind::kParagraph);
    }
    line_ = Line::kText;
    std::u32string held;
    held.swap(held_);
    for (const char32_t c : held) {
      if (!TextCharacter(c)) return false;
    }
    return true;
  }

  bool EndLine() {
    bool ok = true;
    switch (line_) {
      case Line::kStart:
      case Line::kBlank:
        ok = EndBlock(lineNumber_ - 1);
        break;
      case Line::kHash:
        ok = BeginTextLine() && EndEscape();
        break;
      case Line::kText:
        ok = EndEscape();
        break;
      case Line::kHeading:
        ok = EndEscape() && EndBlock(lineNumber_);
        break;
    }
    held_.clear();
    line_ = Line::kStart;
    ++lineNumber_;
    return ok;
  }

  // A backslash at the end of a line stands for itself.
  bool EndEscape() {
    if (!pendingEscape_) return true;
    pendingEscape_ = false;
    return Append(kEscape);
  }

  bool TextCharacter(char32_t c) {
    if (pendingEscape_) {
      pendingEscape_ = false;
      if (IsEscapable(c)) return Append(c);
      if (!Append(kEscape)) return false;
    }
    if (c == kEscape) {
      pendingEscape_ = true;
    } else if (c == kAnnotationOpen) {
      if (inAnnotation_)
        return Fail(lineNumber_,
                    "an annotation opens inside another (〔 before 〕); write \\〔 for the "
                    "character itself");
      inAnnotation_ = true;
      annotationLine_ = lineNumber_;
      newRun_ = true;
    } else if (c == AnnotationClose) {
      if (!inAnnotation_)
        return Fail(lineNumber_, "〕 closes no annotation; write \\〕 for the character itself");
      inAnnotation_ = false;
      newRun_ = true;
    } else if ((c < 0x20 && c != U'\t') || c == 0x7F) {
      return Fail(lineNumber_, "control character " + CodePointLabel(c) + " in the text");
    } else {
      return Append(c);
    }
    return true;
  }

  void StartBlock(BlockKind kind) {
    kind_ = kind;
    part_ = TextBlock{kind, {}};
    open_ = true;
    newRun_ = true;
    runOpen_ = false;
    partsSent_ = false;
    continuesRun_ = false;
    partSize_ = 0;
  }

  bool Append(char32_t c) {
    // Main text on both sides of an empty annotation stays one run; two
    // annotations in a row stay two.
    if (!runOpen_ || runAnnotation_ != inAnnotation_ || (inAnnotation_ && newRun_)) {
      part_.runs.push_back(TextRun{inAnnotation_, {}});
      runOpen_ = true;
      runAnnotation_ = inAnnotation_;
      newRun_ = false;
    } else if (part_.runs.empty()) {
      // The run began in the part handed on before.
      part_.runs.push_back(TextRun{inAnnotation_, {}});
      continuesRun_ = true;
    }
    part_.runs.back().text.push_back(c);
    if (++partSize_ < kBlockPartCodePoints) return true;
    return SendPart(false);
  }

  bool SendPart(bool last) {
    if (!partsSent_ && last && part_.runs.empty()) return true;  // an empty block is none
    BlockPart part{std::move(part_), !partsSent_, last, continuesRun_};
    part_ = TextBlock{kind_, {}};
    partsSent_ = true;
    continuesRun_ = false;
    partSize_ = 0;
    if (sink_(std::move(part))) return true;
    stopped_ = true;
    return false;
  }

  bool EndBlock(size_t lastLine) {
    if (!open_) return true;
    open_ = false;
    if (inAnnotation_) {
      inAnnotation_ = false;
      return Fail(annotationLine_,
                  "the annotation opened with 〔 is not closed by the end of its " +
                      std::string(kind_ == BlockKind::kHeading ? "heading" : "paragraph") +
                      " (line " + std::to_string(lastLine) + ")");
    }
    return SendPart(true);
  }

  bool Fail(size_t lineNumber, const std::string& message) {
    *error_ = "line " + std::to_string(lineNumber) + ": " + message;
    return false;
  }

  BlockPartSink sink_;
  std::string* error_ = nullptr;
  bool stopped_ = false;

  size_t lineNumber_ = 1;
  Line line_ = Line::kStart;
  std::u32string held_;  // the start of the line while it may be blank or "# "
  bool pendingReturn_ = false;
  bool pendingEscape_ = false;

  BlockKind kind_ = BlockKind::kParagraph;
  TextBlock part_;  // what of the open block has not been handed on
  bool open_ = false;
  bool inAnnotation_ = false;
  bool newRun_ = false;
  bool runOpen_ = false;  // the block's last run, handed on or not, may go on
  bool runAnnotation_ = false;
  bool partsSent_ = false;
  bool continuesRun_ = false;
  size_t partSize_ = 0;
  size_t annotationLine_ = 0;
};

VolumeTextReader::VolumeTextReader(BlockPartSink sink)
    : parser_(std::make_unique<Parser>(std::move(sink))) {}

VolumeTextReader::~VolumeTextReader() = default;

bool VolumeTextReader::Stopped() const { return parser_->Stopped(); }

bool VolumeTextReader::Decode(std::string_view bytes, bool atEnd, std::string* error) {
  text_.clear();
  size_t badOffset = 0;
  if (!DecodeUtf8(bytes, text_, &badOffset)) {
    const auto lines =
        std::count(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(badOffset), '\n');
    *error = "line " + std::to_string(linesBefore_ + static_cast<uint64_t>(lines) + 1) +
             ": the text is not UTF-8 (byte " + std::to_string(bytesBefore_ + badOffset) + ")";
    return false;
  }
  bytesBefore_ += bytes.size();
  linesBefore_ += static_cast<uint64_t>(std::count(bytes.begin(), bytes.end(), '\n'));
  std::u32string_view view = text_;
  if (!started_ && !view.empty()) {
    started_ = true;
    if (view.front() == 0xFEFF) view.remove_prefix(1);
  }
  return parser_->Feed(view, error) && (!atEnd || parser_->Finish(error));
}

bool VolumeTextReader::Feed(std::string_view bytes, std::string* error) {
  if (carry_.empty()) {
    const size_t complete = CompletePrefix(bytes);
    if (!Decode(bytes.substr(0, complete), false, error)) return false;
    carry_.assign(bytes.substr(complete));
    return true;
  }
  std::string joined = carry_ + std::string(bytes);
  const size_t complete = CompletePrefix(joined);
  carry_.clear();
  if (!Decode(std::string_view(joined).substr(0, complete), false, error)) return false;
  carry_.assign(joined, complete);
  return true;
}

bool VolumeTextReader::Finish(std::string* error) {
  // A character still cut off at the end of the file is refused here.
  std::string rest;
  rest.swap(carry_);
  return Decode(rest, true, error);
}

void PositionedCharacterBound::Feed(std::string_view bytes) {
  if (broken_) return;
  std::string joined = carry_;
  joined.append(bytes);
  const size_t complete = CompletePrefix(joined);
  text_.clear();
  size_t badOffset = 0;
  if (!DecodeUtf8(std::string_view(joined).substr(0, complete), text_, &badOffset)) {
    broken_ = true;
    return;
  }
  carry_.assign(joined, complete);
  for (const char32_t c : text_) {
    const bool markup =
        c == kAnnotationOpen || c == AnnotationClose || c == kEscape || c == U'#' || c == 0xFEFF;
    if (!markup && !IsUnpositionedSpace(c)) ++count_;
  }
}

bool ParseVolumeText(std::string_view bytes, std::vector<TextBlock>* blocks, std::string* error) {
  blocks->clear();
  VolumeTextReader reader([blocks](BlockPart&& part) {
    if (part.startsBlock) {
      blocks->push_back(std::move(part.text));
      return true;
    }
    auto& runs = blocks->back().runs;
    auto next = part.text.runs.begin();
    if (part.continuesRun && next != part.text.runs.end()) runs.back().text += (next++)->text;
    runs.insert(runs.end(), std::make_move_iterator(next),
                std::make_move_iterator(part.text.runs.end()));
    return true;
  });
  return reader.Feed(bytes, error) && reader.Finish(error);
}

}  // namespace quillwen::build
