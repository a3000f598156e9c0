#include "tools/builder/text_block.h"

namespace quillwen::build {

size_t PositionedCharacterCount(const TextBlock& block) {
  size_t count = 0;
  for (const TextRun& run : block.runs) {
    for (char32_t c : run.text) count += IsUnpositionedSpace(c) ? 0 : 1;
  }
  return count;
}

}  // namespace quillwen::build
