#pragma once

// The source format of a volume file (described for writers in README.md):
// UTF-8 text; a blank line ends a paragraph; a line beginning "# " is a heading;
// 〔…〕 marks an annotation inside a paragraph or heading; a backslash before
// 〔, 〕, \ or # stands for that character itself.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/builder/text_block.h"

namespace quillwen::build {

inline constexpr char32_t kAnnotationOpen = U'〔';
inline constexpr char32_t AnnotationClose = U'〕';
inline constexpr char32_t kEscape = U'\\';

// A paragraph longer than this many code points is handed on in parts.
inline constexpr size_t kBlockPartCodePoints = 16 * 1024;

// Takes the blocks of a volume as they are read; false stops the reading.
using BlockPartSink = std::function<bool(BlockPart&&)>;

// Reads a volume file from its bytes in slices of any size, handing each block
// on once it is read, so that memory stays the same however long the volume,
// its paragraphs or its lines. Feed and Finish are false with *error ("line N:
// ...") on bytes that are not UTF-8, a control character, or an annotation that
// is not closed within its paragraph or heading, is closed without being opened,
// or opens inside another; they are false too, with *error untouched, when the
// sink stopped the reading (Stopped()).
class VolumeTextReader {
 public:
  explicit VolumeTextReader(BlockPartSink sink);
  ~VolumeTextReader();
  VolumeTextReader(const VolumeTextReader&) = delete;
  VolumeTextReader& operator=(const VolumeTextReader&) = delete;

  bool Feed(std::string_view bytes, std::string* error);
  // The end of the file.
  bool Finish(std::string* error);
  bool Stopped() const;

 private:
  class Parser;

  bool Decode(std::string_view bytes, bool atEnd, std::string* error);

  std::unique_ptr<Parser> parser_;
  std::string carry_;  // the start of a character cut off at the end of a slice
  std::u32string text_;
  uint64_t bytesBefore_ = 0;  // bytes decoded before the current slice
  uint64_t linesBefore_ = 0;  // line feeds among them
  bool started_ = false;
};

// A lower bound on how many characters of a volume take a position, counted
// from its bytes alone, far faster than reading it: every code point but white
// space and the characters that markup may use up (〔, 〕, \, # and a byte
// order mark). Fed in slices of any size; bytes that are not UTF-8 end the
// count, which the reading proper then reports.
class PositionedCharacterBound {
 public:
  void Feed(std::string_view bytes);
  uint64_t Count() const { return count_; }

 private:
  std::string carry_;
  std::u32string text_;
  uint64_t count_ = 0;
  bool broken_ = false;
};

// Parses a whole volume file into whole blocks.
bool ParseVolumeText(std::string_view bytes, std::vector<TextBlock>* blocks, std::string* error);

}  // namespace quillwen::build
