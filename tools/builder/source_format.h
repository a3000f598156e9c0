#pragma once

// The source format of a volume file (described for writers in README.md):
// UTF-8 text; a blank line ends a paragraph; a line beginning "# " is a heading;
// 〔…〕 marks an annotation inside a paragraph or heading; a backslash before
// 〔, 〕, \ or # stands for that character itself.

#include <string>
#include <string_view>
#include <vector>

#include "tools/builder/text_block.h"

namespace quillwen::build {

inline constexpr char32_t kAnnotationOpen = U'〔';
inline constexpr char32_t AnnotationClose = U'〕';
inline constexpr char32_t kEscape = U'\\';

// Parses a whole volume file. False with *error ("line N: ...") on bytes that are
// not UTF-8, a control character, or an annotation that is not closed within its
// paragraph or heading, is closed without being opened, or opens inside another.
bool ParseVolumeText(std::string_view bytes, std::vector<TextBlock>* blocks, std::string* error);

}  // namespace quillwen::build
